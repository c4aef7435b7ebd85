#!/usr/bin/env python3
"""Writes the decoder test fixtures into this folder.

Every fixture shows one 16 x 16 pattern of four 8 x 8 quadrants, so a test
can check size, orientation and colour at the quadrant centres:
  colour: top-left red, top-right lime, bottom-left blue, bottom-right white
  grey:   levels 0, 85, 170, 255 (1-bit files: 0, 255, 255, 0)
  alpha:  the colour pattern with alpha 0, 128, 255, 255
16-bit files hold 0xFF12 in the red of the top-left quadrant (0xFF12 as the
top-left grey level), which shows the word order of the decoded samples.

PNG without interlace and every BMP are written here byte by byte, so that
colour type, depth and layout are exactly the ones named. JPEG, GIF, TIFF,
WebP and interlaced PNG come from ImageMagick (`convert`), run as below;
EXIF orientations are spliced into the JPEG here.

Run: python3 make_fixtures.py   (needs python3 and ImageMagick 6)
"""
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
N, H = 16, 8  # picture side, quadrant side

COLOURS = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)]
GREYS = [0, 85, 170, 255]
ALPHAS = [0, 128, 255, 255]


def quadrant(x, y):
    return (1 if x >= H else 0) + (2 if y >= H else 0)


def write(name, data):
    with open(os.path.join(HERE, name), 'wb') as f:
        f.write(data)


def convert(*args):
    cmd = ['convert', *args]
    print(' '.join(cmd))
    subprocess.run(cmd, check=True, cwd=HERE)


# ---- PNG, by hand -------------------------------------------------------

def chunk(kind, body):
    return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))


def png(name, colour_type, depth, rows, extra=b''):
    """rows: lists of samples (already the channel values of the file)."""
    raw = b''
    for row in rows:
        if depth < 8:
            bits = ''.join(format(v, '0%db' % depth) for v in row)
            bits += '0' * (-len(bits) % 8)
            raw += b'\0' + bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
        elif depth == 8:
            raw += b'\0' + bytes(row)
        else:
            raw += b'\0' + b''.join(struct.pack('>H', v) for v in row)
    ihdr = struct.pack('>IIBBBBB', N, N, depth, colour_type, 0, 0, 0)
    write(name, b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) + extra +
          chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def grid(fn):
    return [[s for x in range(N) for s in fn(x, y, quadrant(x, y))] for y in range(N)]


def wide(v):
    return v * 257


def make_png():
    png('png_gray1.png', 0, 1, grid(lambda x, y, q: [0 if q in (0, 3) else 1]))
    png('png_gray2.png', 0, 2, grid(lambda x, y, q: [q]))
    png('png_gray4.png', 0, 4, grid(lambda x, y, q: [q * 5]))
    png('png_gray8.png', 0, 8, grid(lambda x, y, q: [GREYS[q]]))
    png('png_gray16.png', 0, 16, grid(lambda x, y, q: [0xFF12 if q == 0 else wide(GREYS[q])]))
    png('png_rgb8.png', 2, 8, grid(lambda x, y, q: COLOURS[q]))
    png('png_rgb16.png', 2, 16,
        grid(lambda x, y, q: [0xFF12, 0, 0] if q == 0 else [wide(c) for c in COLOURS[q]]))
    plte = chunk(b'PLTE', b''.join(bytes(c) for c in COLOURS))
    png('png_pal4.png', 3, 4, grid(lambda x, y, q: [q]), plte)
    png('png_pal8_trns.png', 3, 8, grid(lambda x, y, q: [q]),
        plte + chunk(b'tRNS', bytes(ALPHAS)))
    # grey 8 with tRNS: level 0 transparent
    png('png_gray8_trns.png', 0, 8, grid(lambda x, y, q: [GREYS[q]]),
        chunk(b'tRNS', struct.pack('>H', 0)))
    # RGB with tRNS: red transparent
    png('png_rgb8_trns.png', 2, 8, grid(lambda x, y, q: COLOURS[q]),
        chunk(b'tRNS', struct.pack('>HHH', 255, 0, 0)))
    png('png_ga8.png', 4, 8, grid(lambda x, y, q: [GREYS[q], ALPHAS[q]]))
    png('png_rgba8.png', 6, 8, grid(lambda x, y, q: [*COLOURS[q], ALPHAS[q]]))
    png('png_rgba8_opaque.png', 6, 8, grid(lambda x, y, q: [*COLOURS[q], 255]))
    png('png_rgba16.png', 6, 16,
        grid(lambda x, y, q: ([0xFF12, 0, 0] if q == 0 else [wide(c) for c in COLOURS[q]]) +
             [wide(ALPHAS[q])]))
    convert('png_rgb8.png', '-interlace', 'PNG', '-define', 'png:color-type=2', 'png_rgb8_interlaced.png')


# ---- BMP, by hand -------------------------------------------------------

def bmp(name, bpp, pixels, palette=(), compression=0, masks=None, top_down=False, data=None):
    """pixels: rows top-down of ints (indices or packed values)."""
    if data is None:
        stride = (N * bpp + 31) // 32 * 4
        rows = pixels if top_down else pixels[::-1]
        data = b''
        for row in rows:
            if bpp < 8:
                bits = ''.join(format(v, '0%db' % bpp) for v in row)
                line = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
            else:
                line = b''.join(v.to_bytes(bpp // 8, 'little') for v in row)
            data += line + b'\0' * (stride - len(line))
    pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    info_size = 108 if masks and len(masks) == 4 else 40
    info = struct.pack('<IiiHHIIiiII', info_size, N, -N if top_down else N, 1, bpp, compression,
                       len(data), 2835, 2835, len(palette), 0)
    if info_size == 108:
        info += struct.pack('<IIII', *masks) + b'sRGB' + b'\0' * 48
        masks_bytes = b''
    else:
        masks_bytes = struct.pack('<III', *masks) if masks else b''
    offset = 14 + len(info) + len(masks_bytes) + len(pal)
    header = b'BM' + struct.pack('<IHHI', offset + len(data), 0, 0, offset)
    write(name, header + info + masks_bytes + pal + data)


def rle(runs_by_row, four):
    """Rows bottom-up, each a list of (count, index) runs; whole picture in runs."""
    out = b''
    for row in runs_by_row:
        for count, index in row:
            out += bytes((count, index * 17 if four else index))
        out += b'\0\0'
    return out + b'\0\1'


def make_bmp():
    idx = [[quadrant(x, y) for x in range(N)] for y in range(N)]
    bmp('bmp_1.bmp', 1, [[0 if q in (0, 3) else 1 for q in r] for r in idx], [(0, 0, 0), (255, 255, 255)])
    bmp('bmp_4.bmp', 4, idx, COLOURS)
    bmp('bmp_8.bmp', 8, idx, COLOURS)
    bmp('bmp_8_topdown.bmp', 8, idx, COLOURS, top_down=True)
    rgb = [[(r << 16) | (g << 8) | b for r, g, b in (COLOURS[q] for q in row)] for row in idx]
    bmp('bmp_24.bmp', 24, rgb)
    bmp('bmp_24_topdown.bmp', 24, rgb, top_down=True)
    bmp('bmp_32.bmp', 32, rgb)  # fourth byte 0: no alpha
    rgb565 = [[((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3) for r, g, b in (COLOURS[q] for q in row)]
              for row in idx]
    bmp('bmp_16_565.bmp', 16, rgb565, compression=3, masks=(0xF800, 0x07E0, 0x001F))
    rgb555 = [[((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3) for r, g, b in (COLOURS[q] for q in row)]
              for row in idx]
    bmp('bmp_16_555.bmp', 16, rgb555)
    argb = [[(ALPHAS[q] << 24) | (COLOURS[q][0] << 16) | (COLOURS[q][1] << 8) | COLOURS[q][2] for q in row]
            for row in idx]
    bmp('bmp_32_alpha.bmp', 32, argb, compression=3, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000))
    # RLE rows bottom-up: bottom half blue|white, top half red|lime
    bottom = [(8, 2), (8, 3)]
    top = [(8, 0), (8, 1)]
    bmp('bmp_rle8.bmp', 8, None, COLOURS, compression=1, data=rle([bottom] * 8 + [top] * 8, False))
    bmp('bmp_rle4.bmp', 4, None, COLOURS, compression=2, data=rle([bottom] * 8 + [top] * 8, True))


# ---- JPEG, GIF, TIFF, WebP through ImageMagick ---------------------------

def exif(orientation):
    ifd = struct.pack('<H', 1) + struct.pack('<HHIHH', 0x0112, 3, 1, orientation, 0) + struct.pack('<I', 0)
    body = b'Exif\0\0' + b'II*\0' + struct.pack('<I', 8) + ifd
    return b'\xff\xe1' + struct.pack('>H', len(body) + 2) + body


def make_others():
    quad = ['-size', '8x8', 'xc:red', 'xc:lime', '+append', '(', '-size', '8x8', 'xc:blue', 'xc:white',
            '+append', ')', '-append']
    convert(*quad, 'quad.ppm')
    convert('quad.ppm', '-quality', '95', '-sampling-factor', '1x1', 'jpeg_baseline.jpg')
    convert('quad.ppm', '-quality', '95', '-sampling-factor', '1x1', '-interlace', 'JPEG',
            'jpeg_progressive.jpg')
    convert('png_gray8.png', '-quality', '95', '-colorspace', 'Gray', 'jpeg_gray.jpg')
    convert('quad.ppm', '-quality', '95', '-colorspace', 'CMYK', 'jpeg_ycck.jpg')  # Adobe marker, transform 2
    # A wider picture for the orientations: 32 x 16, the colour pattern with
    # 16 x 8 quadrants (block-aligned, so the colours stay clean).
    convert('-size', '16x8', 'xc:red', 'xc:lime', '+append', '(', '-size', '16x8', 'xc:blue', 'xc:white',
            '+append', ')', '-append', '-quality', '95', '-sampling-factor', '1x1', 'jpeg_wide.jpg')
    with open(os.path.join(HERE, 'jpeg_wide.jpg'), 'rb') as f:
        wide_jpeg = f.read()
    os.remove(os.path.join(HERE, 'jpeg_wide.jpg'))
    for o in range(1, 9):
        write('jpeg_exif%d.jpg' % o, wide_jpeg[:2] + exif(o) + wide_jpeg[2:])
    convert('quad.ppm', 'gif_quad.gif')
    convert('quad.ppm', '-transparent', 'red', 'gif_transparent.gif')
    convert('quad.ppm', '-interlace', 'GIF', 'gif_interlaced.gif')
    convert('quad.ppm', '-depth', '8', '-compress', 'LZW', 'tiff_rgb.tif')
    convert('png_gray8.png', '-compress', 'None', 'tiff_gray.tif')
    convert('png_rgba8.png', '-compress', 'Zip', 'tiff_rgba.tif')
    convert('quad.ppm', '-compress', 'LZW', '-define', 'tiff:tile-geometry=8x8', 'tiff_tiled.tif')
    convert('quad.ppm', '-define', 'webp:lossless=true', 'webp_lossless.webp')
    convert('png_rgba8.png', '-define', 'webp:lossless=true', 'webp_alpha.webp')
    convert('quad.ppm', '-quality', '95', 'webp_lossy.webp')
    os.remove(os.path.join(HERE, 'quad.ppm'))


make_png()
make_bmp()
make_others()
