// Bad files: cut, damaged, declaring huge sizes, or flooding the decoder
// with scans, chunks or blocks. None may crash, hang or exhaust memory.
#include <gtest/gtest.h>
#include <zlib.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#include "decode_test_util.h"
#include "imaging/codecs/Decode.h"
#include "imaging/codecs/DecodeLimits.h"

using namespace decode_test;
using namespace imaging;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsToDecode(const Bytes& b, Status* status, const DecodeLimits& limits = {}) {
    const auto t0 = Clock::now();
    Picture p = DecodeMemory(b.data(), b.size(), limits);
    *status = p.LastStatus();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

bool RowIsWhite(Picture& p, int y) {
    for (int x = 0; x < static_cast<int>(p.Width()); ++x)
        if (ArgbAt(p, x, y) != kWhite) return false;
    return true;
}

// Every fixture cut at every length: a picture of full size or a refusal,
// never anything else.
TEST(DecodeTruncated, EveryCutOfEveryFormatIsFullSizeOrRefused) {
    for (const char* file : {"png_rgb8.png", "png_rgb8_interlaced.png", "png_pal8_trns.png", "jpeg_baseline.jpg",
                             "jpeg_progressive.jpg", "jpeg_exif6.jpg", "gif_quad.gif", "gif_interlaced.gif",
                             "tiff_rgb.tif", "tiff_tiled.tif", "bmp_24.bmp", "bmp_32_alpha.bmp", "bmp_rle4.bmp", "bmp_rle8.bmp",
                             "webp_lossless.webp", "webp_lossy.webp", "webp_alpha.webp"}) {
        SCOPED_TRACE(file);
        const Bytes whole = ReadFixture(file);
        ASSERT_FALSE(whole.empty());
        Picture full = Decode(whole);
        for (std::size_t len = 0; len < whole.size(); ++len) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(len));
            Picture p = Decode(cut);
            if (!p.IsValid()) {
                ASSERT_EQ(p.LastStatus(), UnknownImageFormat) << "cut at " << len;
                continue;
            }
            ASSERT_EQ(p.Width(), full.Width()) << "cut at " << len;
            ASSERT_EQ(p.Height(), full.Height()) << "cut at " << len;
        }
    }
}

// Rows the file never delivered are white and opaque, and the ones it did
// keep their colours: a bottom-up BMP loses its top, the others their bottom.
TEST(DecodeTruncated, MissingRowsAreWhite) {
    struct Case {
        const char* file;
        double keep;      // fraction of the bytes kept (JPEG: of those after the scan header)
        int whiteRow;     // a row that must be blank
        int keptRow;      // a row that must still show the pattern (-1: none)
        std::uint32_t keptColour;
        bool noPixels = false;  // cut before the first row: no picture at all
    } cases[] = {
        {"bmp_24.bmp", 0.6, 0, 15, kBlue},
        {"bmp_8_topdown.bmp", 0.6, 15, 0, kRed},
        {"png_rgb8.png", 0.5, 15, -1, 0, true},  // only the zlib header of the pixel data is left
        {"jpeg_baseline.jpg", 0.4, 15, -1, 0, true},  // the one row of blocks never completes
        {"gif_quad.gif", 0.6, 15, -1, 0},  // giflib drops a cut data sub-block whole
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const Bytes whole = ReadFixture(c.file);
        const std::size_t scan = Find(whole, {0xFF, 0xDA});
        const std::size_t start = std::string(c.file).ends_with(".jpg") ? scan : 0;
        const auto keep = static_cast<std::ptrdiff_t>(start + (whole.size() - start) * c.keep);
        const Bytes cut(whole.begin(), whole.begin() + keep);
        Picture p = Decode(cut);
        if (c.noPixels) {
            EXPECT_EQ(p.LastStatus(), UnknownImageFormat);
            continue;
        }
        ASSERT_TRUE(p.IsValid()) << p.LastStatus();
        EXPECT_TRUE(RowIsWhite(p, c.whiteRow));
        if (c.keptRow >= 0) {
            EXPECT_TRUE(Near(ArgbAt(p, 2, c.keptRow), c.keptColour, 0));
        }
    }
}

// Headers that make no sense are refused as no picture.
TEST(DecodeDamaged, BrokenHeadersAreUnknownFormat) {
    struct Case {
        const char* what;
        const char* file;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"PNG width 0", "png_rgb8.png", 16, {0, 0, 0, 0}},
        {"PNG bit depth 3", "png_rgb8.png", 24, {3}},
        {"PNG IHDR renamed", "png_rgb8.png", 12, {'X'}},
        {"JPEG without frame header", "jpeg_baseline.jpg", 2, {0xFF, 0xD9}},
        {"GIF screen descriptor cut", "gif_quad.gif", 6, {}},
        {"BMP 7 bits a pixel", "bmp_24.bmp", 28, {7}},
        {"BMP width 0", "bmp_24.bmp", 18, {0, 0, 0, 0}},
        {"BMP RLE8 at 24 bits", "bmp_24.bmp", 30, {1}},
        {"BMP header size 0", "bmp_24.bmp", 14, {0, 0, 0, 0}},
        {"TIFF first IFD past the end", "tiff_rgb.tif", 4, {0xF0, 0xFF, 0xFF, 0x7F}},
        {"TIFF bad version", "tiff_rgb.tif", 2, {43, 1}},
        {"WebP chunk renamed", "webp_lossless.webp", 12, {'X', 'X', 'X', 'X'}},
        // A header that reads well over data that yields not one pixel.
        {"PNG pixel data rubbish", "png_rgb8.png", 43, std::vector<std::uint8_t>(28, 0xFF)},
        {"TIFF compression no codec knows", "tiff_rgb.tif", 142 + 8, {0x50, 0xC3}},
        {"BMP RLE8 claiming 16384 x 16384", "bmp_rle8.bmp", 18, {0, 0x40, 0, 0, 0, 0x40, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = ReadFixture(c.file);
        if (c.bytes.empty())
            b.resize(c.at);  // nothing after this offset
        else
            std::copy(c.bytes.begin(), c.bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(c.at));
        EXPECT_EQ(Decode(b).LastStatus(), UnknownImageFormat);
    }
}

// Damage inside the data (not the header) still gives a full-size picture or
// a refusal: every byte of the body of each fixture flipped in turn.
TEST(DecodeDamaged, FlippedBytesNeverBreakTheDecoder) {
    for (const char* file : {"png_rgb8.png", "jpeg_progressive.jpg", "gif_interlaced.gif", "tiff_tiled.tif",
                             "bmp_rle4.bmp", "webp_lossy.webp"}) {
        SCOPED_TRACE(file);
        const Bytes whole = ReadFixture(file);
        for (std::size_t i = 0; i < whole.size(); ++i) {
            Bytes b = whole;
            b[i] ^= 0xA5;
            Picture p = Decode(b);
            if (p.IsValid()) {
                ASSERT_GT(p.Width(), 0u);
                ASSERT_LE(std::uint64_t{p.Width()} * p.Height(), kMaxPicturePixels);
            } else {
                ASSERT_TRUE(p.LastStatus() == UnknownImageFormat || p.LastStatus() == OutOfMemory)
                    << "byte " << i << " status " << p.LastStatus();
            }
        }
    }
}

// ---- decompression bombs --------------------------------------------------

void FixPngCrc(Bytes& b, std::size_t chunkAt, std::size_t length) {
    PutBe32(b, chunkAt + 8 + length,
            static_cast<std::uint32_t>(crc32(0, b.data() + chunkAt + 4, static_cast<uInt>(length + 4))));
}

// Sets the first IFD's width and length tags of a little-endian TIFF.
void PatchTiffSize(Bytes& b, std::uint32_t width, std::uint32_t height) {
    const std::size_t ifd = b[4] | b[5] << 8 | b[6] << 16 | static_cast<std::size_t>(b[7]) << 24;
    const unsigned count = b[ifd] | b[ifd + 1] << 8;
    for (unsigned i = 0; i < count; ++i) {
        const std::size_t e = ifd + 2 + 12 * i;
        const unsigned tag = b[e] | b[e + 1] << 8, type = b[e + 2] | b[e + 3] << 8;
        if (tag != 256 && tag != 257) continue;
        const std::uint32_t v = tag == 256 ? width : height;
        if (type == 3) {
            PutLe16(b, e + 8, std::min<std::uint32_t>(v, 0xFFFF));
        } else {
            PutLe32(b, e + 8, v);
        }
    }
}

Bytes Bomb(const char* kind) {
    const std::string k = kind;
    if (k == "png") {
        Bytes b = ReadFixture("png_rgb8.png");
        PutBe32(b, 16, 100000);
        PutBe32(b, 20, 100000);
        FixPngCrc(b, 8, 13);
        return b;
    }
    if (k == "jpeg") {
        Bytes b = ReadFixture("jpeg_baseline.jpg");
        const std::size_t sof = Find(b, {0xFF, 0xC0});
        PutBe16(b, sof + 5, 65000);
        PutBe16(b, sof + 7, 65000);
        return b;
    }
    if (k == "jpeg progressive") {
        Bytes b = ReadFixture("jpeg_progressive.jpg");
        const std::size_t sof = Find(b, {0xFF, 0xC2});
        PutBe16(b, sof + 5, 65000);
        PutBe16(b, sof + 7, 65000);
        return b;
    }
    if (k == "gif") {
        Bytes b = ReadFixture("gif_quad.gif");
        PutLe16(b, 6, 65000);
        PutLe16(b, 8, 65000);
        return b;
    }
    if (k == "bmp") {
        Bytes b = ReadFixture("bmp_24.bmp");
        PutLe32(b, 18, 100000);
        PutLe32(b, 22, 100000);
        return b;
    }
    if (k == "bmp rle") {
        Bytes b = ReadFixture("bmp_rle8.bmp");
        PutLe32(b, 18, 100000);
        PutLe32(b, 22, 100000);
        return b;
    }
    if (k == "tiff") {
        Bytes b = ReadFixture("tiff_rgb.tif");
        PatchTiffSize(b, 100000, 100000);
        return b;
    }
    // WebP lossless: 14-bit width-1 and height-1 after the 0x2F signature.
    Bytes b = ReadFixture("webp_lossless.webp");
    const std::size_t sig = Find(b, {'V', 'P', '8', 'L'}) + 8;
    const std::uint32_t bits = (16383u) | (16383u << 14) | (b[sig + 4] & 0xF0u) << 24;
    PutLe32(b, sig + 1, bits);
    return b;
}

// A few bytes declaring a gigantic picture are refused before any pixel is
// allocated, so quickly and at no cost.
TEST(DecodeBomb, HugeDeclaredSizeIsOutOfMemoryAndFast) {
    for (const char* kind : {"png", "jpeg", "jpeg progressive", "gif", "bmp", "bmp rle", "tiff", "webp"}) {
        SCOPED_TRACE(kind);
        // The WebP header cannot say more than 16384 x 16384 = 2^28, which is
        // allowed; lowering the limit shows the same check.
        const DecodeLimits limits{std::string(kind) == "webp" ? std::uint64_t{1} << 24 : kMaxPicturePixels};
        Status status = Ok;
        const double seconds = SecondsToDecode(Bomb(kind), &status, limits);
        EXPECT_EQ(status, OutOfMemory);
        EXPECT_LT(seconds, 0.5);
    }
}

// A few hundred bytes claiming 16000 x 16000 (within the limit) cannot hold
// such a picture: refused at once rather than allocating and decoding ~1 GB.
TEST(DecodeBomb, TinyFileClaimingLargePictureIsRefusedFast) {
    struct Case {
        const char* file;
        std::initializer_list<std::uint8_t> sof;
    } jpegs[] = {{"jpeg_baseline.jpg", {0xFF, 0xC0}}, {"jpeg_progressive.jpg", {0xFF, 0xC2}}};
    std::vector<Bytes> files;
    for (const Case& c : jpegs) {
        Bytes b = ReadFixture(c.file);
        const std::size_t sof = Find(b, c.sof);
        PutBe16(b, sof + 5, 16000);
        PutBe16(b, sof + 7, 16000);
        files.push_back(b);
    }
    Bytes png = ReadFixture("png_rgb8.png");
    PutBe32(png, 16, 16000);
    PutBe32(png, 20, 16000);
    FixPngCrc(png, 8, 13);
    files.push_back(png);
    Bytes tiff = ReadFixture("tiff_rgb.tif");
    PatchTiffSize(tiff, 16000, 16000);
    files.push_back(tiff);
    Bytes bmp = ReadFixture("bmp_24.bmp");
    PutLe32(bmp, 18, 16000);
    PutLe32(bmp, 22, 16000);
    files.push_back(bmp);
    for (const Bytes& b : files) {
        Status status = Ok;
        EXPECT_LT(SecondsToDecode(b, &status), 0.2);
        EXPECT_EQ(status, UnknownImageFormat);
    }
}

// With the limit lowered below the fixtures' 256 pixels, every decoder refuses
// every fixture: each one checks before allocating.
TEST(DecodeBomb, EveryDecoderHonoursTheLimit) {
    for (const char* file : {"png_gray1.png", "png_rgba16.png", "png_rgb8_interlaced.png", "jpeg_baseline.jpg",
                             "jpeg_progressive.jpg", "jpeg_exif6.jpg", "gif_transparent.gif", "tiff_rgba.tif",
                             "tiff_tiled.tif", "bmp_1.bmp", "bmp_rle4.bmp", "bmp_32_alpha.bmp", "webp_alpha.webp",
                             "webp_lossy.webp"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(DecodeFile(FixturePath(file), {255}).LastStatus(), OutOfMemory);
        const Bytes b = ReadFixture(file);
        EXPECT_EQ(DecodeMemory(b.data(), b.size(), {255}).LastStatus(), OutOfMemory);
    }
    EXPECT_TRUE(DecodeFile(FixturePath("png_rgb8.png"), {256}).IsValid());
}

TEST(DecodeLimits, SizeEdges) {
    struct Case {
        std::uint64_t w, h;
        bool allowed;
    } cases[] = {{0, 1, false},          {1, 0, false},          {1, 1, true},
                 {16385, 16384, false},  {std::uint64_t{1} << 31, 1, false},
                 {1, std::uint64_t{1} << 40, false}, {UINT64_MAX, UINT64_MAX, false}};
    for (const Case& c : cases)
        EXPECT_EQ(DecodeSizeAllowed(c.w, c.h, kMaxPicturePixels), c.allowed) << c.w << " x " << c.h;
    EXPECT_TRUE(DecodeSizeAllowed(16, 16, 256));
    EXPECT_FALSE(DecodeSizeAllowed(16, 17, 256));
}

// ---- floods -----------------------------------------------------------------

// A progressive JPEG with its last scan repeated thousands of times: each
// scan is a pass over the picture, so they are counted and cut off.
TEST(DecodeFlood, JpegScanFloodIsCutShort) {
    const Bytes b = ReadFixture("jpeg_progressive.jpg");
    std::size_t last = 0;
    for (std::size_t at = Find(b, {0xFF, 0xDA}); at != std::string::npos; at = Find(b, {0xFF, 0xDA}, at + 2))
        last = at;
    const std::size_t eoi = b.size() - 2;
    ASSERT_GT(eoi, last);
    Bytes flood(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(eoi));
    for (int i = 0; i < 20000; ++i) flood.insert(flood.end(), b.begin() + static_cast<std::ptrdiff_t>(last), b.begin() + static_cast<std::ptrdiff_t>(eoi));
    flood.insert(flood.end(), {0xFF, 0xD9});
    Status status = Ok;
    EXPECT_LT(SecondsToDecode(flood, &status), 1.0);
    EXPECT_TRUE(status == Ok || status == UnknownImageFormat) << status;
}

Bytes PngChunk(const char* type, const Bytes& body) {
    Bytes c(12 + body.size());
    PutBe32(c, 0, static_cast<std::uint32_t>(body.size()));
    std::copy(type, type + 4, c.begin() + 4);
    std::copy(body.begin(), body.end(), c.begin() + 8);
    FixPngCrc(c, 0, body.size());
    return c;
}

// Thousands of text chunks, big compressed ones and unknown ones before the
// pixels: skipped without being inflated or kept, and the picture still loads.
TEST(DecodeFlood, PngChunkFloodStillDecodes) {
    const Bytes png = ReadFixture("png_rgb8.png");
    const std::size_t idat = Find(png, {'I', 'D', 'A', 'T'}) - 4;
    Bytes flood(png.begin(), png.begin() + static_cast<std::ptrdiff_t>(idat));
    const Bytes text = PngChunk("tEXt", Bytes{'k', 0, 'v'});
    for (int i = 0; i < 100000; ++i) flood.insert(flood.end(), text.begin(), text.end());
    // zTXt whose 4 MB of zeros would inflate to far more than it is.
    Bytes zeros(4 << 20, 0), packed(compressBound(static_cast<uLong>(zeros.size())));
    uLongf packedSize = static_cast<uLongf>(packed.size());
    compress(packed.data(), &packedSize, zeros.data(), static_cast<uLong>(zeros.size()));
    Bytes ztxt{'k', 0, 0};
    ztxt.insert(ztxt.end(), packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(packedSize));
    const Bytes ztxtChunk = PngChunk("zTXt", ztxt);
    for (int i = 0; i < 200; ++i) flood.insert(flood.end(), ztxtChunk.begin(), ztxtChunk.end());
    const Bytes unknown = PngChunk("quUx", Bytes(1 << 16, 7));
    for (int i = 0; i < 200; ++i) flood.insert(flood.end(), unknown.begin(), unknown.end());
    flood.insert(flood.end(), png.begin() + static_cast<std::ptrdiff_t>(idat), png.end());

    const auto t0 = Clock::now();
    Picture p = Decode(flood);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - t0).count(), 1.0);
    ASSERT_TRUE(p.IsValid()) << p.LastStatus();
    EXPECT_EQ(ArgbAt(p, 4, 4), kRed);
}

// A GIF that is nothing but extension blocks is given up on.
TEST(DecodeFlood, GifExtensionFloodIsRefused) {
    const Bytes gif = ReadFixture("gif_quad.gif");
    const std::size_t header = 13 + 3 * (std::size_t{2} << (gif[10] & 7));
    Bytes flood(gif.begin(), gif.begin() + static_cast<std::ptrdiff_t>(header));
    flood.insert(flood.end(), {0x21, 0xFE});  // comment extension
    for (int i = 0; i < 200000; ++i) {
        flood.push_back(8);
        flood.insert(flood.end(), 8, 'x');
    }
    flood.push_back(0);
    flood.insert(flood.end(), gif.begin() + static_cast<std::ptrdiff_t>(header), gif.end());
    Status status = Ok;
    EXPECT_LT(SecondsToDecode(flood, &status), 1.0);
    EXPECT_EQ(status, UnknownImageFormat);
}

}  // namespace

// A huge file is judged by its first bytes and its size before anything
// else of it is read: a 512 MB file of zeros, or one with a picture's
// signature but far more bytes than the limit allows, costs a few kilobytes.
TEST(DecodeBomb, HugeFilesAreRefusedWithoutBeingRead) {
    struct Case {
        const char* what;
        std::string head;
        std::uint64_t maxPixels;
        imaging::Status expected;
    };
    const Case cases[] = {
        {"zeros named .png", std::string(16, '\0'), imaging::kMaxPicturePixels, imaging::UnknownImageFormat},
        {"PNG signature, 512 MB", std::string("\x89PNG\r\n\x1a\n", 8), 1u << 20, imaging::OutOfMemory},
        {"BMP signature, 512 MB", "BM", 1u << 20, imaging::OutOfMemory},
        {"TIFF signature, 512 MB", std::string("II*\0", 4), 1u << 20, imaging::OutOfMemory},
    };
    for (const Case& c : cases) {
        char pattern[] = "/tmp/velmor-sparse-XXXXXX";
        const int fd = ::mkstemp(pattern);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, c.head.data(), c.head.size()), static_cast<ssize_t>(c.head.size()));
        ASSERT_EQ(::ftruncate(fd, off_t{512} << 20), 0);  // sparse: no disk, no time
        ::close(fd);
        // In a child of its own, so that its peak memory grows by this decode alone.
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            struct rusage before {};
            ::getrusage(RUSAGE_SELF, &before);
            const auto started = std::chrono::steady_clock::now();
            const imaging::Picture p = imaging::DecodeFile(pattern, imaging::DecodeLimits{c.maxPixels});
            const auto took = std::chrono::steady_clock::now() - started;
            struct rusage usage {};
            ::getrusage(RUSAGE_SELF, &usage);
            const bool small = usage.ru_maxrss - before.ru_maxrss < 32 * 1024;  // kilobytes
            ::_exit(p.LastStatus() == c.expected && small && took < std::chrono::seconds(1) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ::unlink(pattern);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.what;
    }
}
