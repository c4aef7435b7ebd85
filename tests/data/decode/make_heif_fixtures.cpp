// Writes the HEIC and AVIF decoder fixtures into the current folder with
// libheif's encoders (x265 for HEVC, aom for AV1), the same pattern as
// make_fixtures.py: four quadrants, top-left red, top-right lime,
// bottom-left blue, bottom-right white (alpha 0, 128, 255, 255).
//
// The oriented files store the upright picture turned back, and libheif
// writes the irot/imir boxes that turn it upright again; the HEIC one also
// carries an EXIF orientation 6, as phones write it, which must not be
// applied on top.
//
// Build and run in this folder:
//   g++ -std=c++20 -O1 make_heif_fixtures.cpp $(pkg-config --cflags --libs libheif) -o /tmp/make_heif_fixtures
//   /tmp/make_heif_fixtures
#include <libheif/heif.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

namespace {

struct Rgba {
    unsigned r, g, b, a;
};

constexpr Rgba kQuadrants[4] = {{255, 0, 0, 0}, {0, 255, 0, 128}, {0, 0, 255, 255}, {255, 255, 255, 255}};

// The quadrant pattern of an upright w x h picture at (x, y).
Rgba Pattern(int x, int y, int w, int h) { return kQuadrants[(x >= w / 2 ? 1 : 0) + (y >= h / 2 ? 2 : 0)]; }

void Check(heif_error e, const char* what) {
    if (e.code == heif_error_Ok) return;
    std::fprintf(stderr, "%s: %s\n", what, e.message);
    std::exit(1);
}

struct Fixture {
    const char* name;
    heif_compression_format codec;
    int width, height;  // as stored
    int bits;           // 8 or 10
    bool alpha;
    heif_orientation orientation;
    std::function<Rgba(int, int)> stored;  // the stored pixel at (x, y)
    bool exif6 = false;
};

// A minimal little-endian EXIF block whose one tag is orientation 6.
std::vector<std::uint8_t> Exif6() {
    return {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0, 0, 0, 0};
}

void Write(const Fixture& f) {
    heif_image* image = nullptr;
    const heif_chroma chroma = f.bits > 8 ? (f.alpha ? heif_chroma_interleaved_RRGGBBAA_LE : heif_chroma_interleaved_RRGGBB_LE)
                                          : (f.alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB);
    Check(heif_image_create(f.width, f.height, heif_colorspace_RGB, chroma, &image), "image");
    Check(heif_image_add_plane(image, heif_channel_interleaved, f.width, f.height, f.bits), "plane");
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    const int channels = f.alpha ? 4 : 3;
    for (int y = 0; y < f.height; ++y)
        for (int x = 0; x < f.width; ++x) {
            const Rgba c = f.stored(x, y);
            const unsigned v[4] = {c.r, c.g, c.b, f.alpha ? c.a : 255};
            for (int i = 0; i < channels; ++i) {
                if (f.bits == 8) {
                    plane[y * stride + x * channels + i] = static_cast<std::uint8_t>(v[i]);
                } else {
                    const unsigned wide = v[i] * 1023 / 255;
                    plane[y * stride + (x * channels + i) * 2] = static_cast<std::uint8_t>(wide);
                    plane[y * stride + (x * channels + i) * 2 + 1] = static_cast<std::uint8_t>(wide >> 8);
                }
            }
        }

    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    Check(heif_context_get_encoder_for_format(context, f.codec, &encoder), "encoder");
    Check(heif_encoder_set_lossy_quality(encoder, 90), "quality");
    Check(heif_encoder_set_parameter_string(encoder, "chroma", "420"), "chroma");  // as cameras write
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = f.orientation;
    heif_image_handle* handle = nullptr;
    Check(heif_context_encode_image(context, image, encoder, options, &handle), "encode");
    if (f.exif6) {
        const std::vector<std::uint8_t> exif = Exif6();
        Check(heif_context_add_exif_metadata(context, handle, exif.data(), static_cast<int>(exif.size())), "exif");
    }
    Check(heif_context_write_to_file(context, f.name), "write");
    std::printf("%s\n", f.name);
    heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_encoder_release(encoder);
    heif_context_free(context);
    heif_image_release(image);
}

}  // namespace

int main() {
    Check(heif_init(nullptr), "init");
    const auto quad = [](int x, int y) { return Pattern(x, y, 16, 16); };
    const Fixture fixtures[] = {
        {"heic_quad.heic", heif_compression_HEVC, 16, 16, 8, false, heif_orientation_normal, quad},
        {"avif_quad.avif", heif_compression_AV1, 16, 16, 8, false, heif_orientation_normal, quad},
        {"avif_alpha.avif", heif_compression_AV1, 16, 16, 8, true, heif_orientation_normal, quad},
        {"heic_10bit.heic", heif_compression_HEVC, 16, 16, 10, false, heif_orientation_normal, quad},
        // Upright 16 x 32, stored 32 x 16. Orientation 6 turns the stored
        // picture 90 degrees clockwise: stored (x, y) shows at (15 - y, x).
        {"heic_orient6.heic", heif_compression_HEVC, 32, 16, 8, false, heif_orientation_rotate_90_cw,
         [](int x, int y) { return Pattern(15 - y, x, 16, 32); }, true},
        // Orientation 7 turns it the same way, then flips it top to bottom:
        // stored (x, y) shows at (15 - y, 31 - x).
        {"avif_orient7.avif", heif_compression_AV1, 32, 16, 8, false,
         heif_orientation_rotate_90_cw_then_flip_vertically, [](int x, int y) { return Pattern(15 - y, 31 - x, 16, 32); }},
    };
    for (const Fixture& f : fixtures) Write(f);
    heif_deinit();
    return 0;
}
