// The GIF palette: exact while the colours fit, close when they do not, and
// the alpha threshold for the transparent index.
#include <set>

#include "encode_fixtures.h"
#include "imaging/codecs/ColourQuantizer.h"

namespace encode_test {
namespace {

using namespace imaging;

// B,G,R,A pixels, tightly packed.
struct Bgra {
    std::uint32_t width, height;
    std::vector<std::uint8_t> bytes;
    void Set(std::uint32_t x, std::uint32_t y, std::uint32_t rgb, std::uint8_t alpha = 255) {
        std::uint8_t* p = &bytes[4 * (std::size_t{y} * width + x)];
        p[0] = rgb & 0xFF, p[1] = (rgb >> 8) & 0xFF, p[2] = (rgb >> 16) & 0xFF, p[3] = alpha;
    }
    const std::uint8_t* At(std::size_t i) const { return &bytes[4 * i]; }
};

Bgra Distinct(std::uint32_t colours, std::uint32_t width = 64, std::uint32_t height = 20) {
    Bgra image{width, height, std::vector<std::uint8_t>(4 * std::size_t{width} * height)};
    for (std::uint32_t i = 0; i < width * height; ++i)
        image.Set(i % width, i / width, ((i % colours) * 0x010305u * 37) & 0xFFFFFF);
    return image;
}

IndexedPixels Quantize(const Bgra& image, bool dither) {
    return QuantizeColours(image.bytes.data(), 4 * static_cast<std::ptrdiff_t>(image.width), image.width,
                           image.height, dither);
}

Argb Opaque(const std::uint8_t* p) { return 0xFF000000u | Argb{p[2]} << 16 | Argb{p[1]} << 8 | p[0]; }

TEST(ColourQuantizer, ExactWhileTheColoursFit) {
    struct Case {
        std::uint32_t colours;
        bool transparentPixel;
        bool exact;
    } cases[] = {
        {2, false, true},   {200, false, true}, {256, false, true}, {257, false, false},
        {255, true, true},  {256, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.colours) + (c.transparentPixel ? " + transparent" : ""));
        Bgra image = Distinct(c.colours);
        if (c.transparentPixel) image.Set(63, 19, 0x123456, 0);  // replaces a repeat, not a colour
        const IndexedPixels out = Quantize(image, true);
        EXPECT_EQ(out.exact, c.exact);
        EXPECT_LE(out.palette.size(), 256u);
        if (!c.exact) continue;
        EXPECT_EQ(out.palette.size(), c.colours + (c.transparentPixel ? 1 : 0));
        for (std::size_t i = 0; i < out.indices.size(); ++i) {
            const std::uint8_t* p = image.At(i);
            if (p[3] < 128)
                ASSERT_EQ(out.indices[i], out.transparentIndex);
            else
                ASSERT_EQ(out.palette[out.indices[i]], Opaque(p)) << "pixel " << i;
        }
    }
}

TEST(ColourQuantizer, AlphaBelow128IsTransparent) {
    Bgra image{6, 1, std::vector<std::uint8_t>(24)};
    const std::uint8_t alphas[] = {0, 1, 127, 128, 200, 255};
    for (std::uint32_t x = 0; x < 6; ++x) image.Set(x, 0, 0x102030u * (x + 1), alphas[x]);
    const IndexedPixels out = Quantize(image, false);
    ASSERT_GE(out.transparentIndex, 0);
    EXPECT_EQ(out.palette[out.transparentIndex] >> 24, 0u);
    for (std::uint32_t x = 0; x < 6; ++x)
        EXPECT_EQ(out.indices[x] == out.transparentIndex, alphas[x] < 128) << "alpha " << int{alphas[x]};
}

// A smooth sweep through many colours, as in a photograph.
Bgra Sweep() {
    Bgra image{128, 96, std::vector<std::uint8_t>(4 * 128 * 96)};
    for (std::uint32_t y = 0; y < 96; ++y)
        for (std::uint32_t x = 0; x < 128; ++x)
            image.Set(x, y, (x * 2) << 16 | (y * 255 / 95) << 8 | ((x + y) * 255 / 222));
    return image;
}

double MeanError(const Bgra& image, const IndexedPixels& out, unsigned block) {
    double total = 0;
    std::size_t samples = 0;
    for (std::uint32_t by = 0; by + block <= image.height; by += block)
        for (std::uint32_t bx = 0; bx + block <= image.width; bx += block)
            for (int k = 0; k < 3; ++k) {
                long in = 0, got = 0;
                for (std::uint32_t y = by; y < by + block; ++y)
                    for (std::uint32_t x = bx; x < bx + block; ++x) {
                        const std::size_t i = std::size_t{y} * image.width + x;
                        in += image.At(i)[k];
                        got += (out.palette[out.indices[i]] >> (8 * k)) & 0xFF;
                    }
                total += std::abs(in - got) / double(block * block);
                ++samples;
            }
    return total / static_cast<double>(samples);
}

TEST(ColourQuantizer, ManyColoursComeOutClose) {
    const Bgra image = Sweep();
    const IndexedPixels plain = Quantize(image, false);
    const IndexedPixels dithered = Quantize(image, true);
    EXPECT_FALSE(plain.exact);
    EXPECT_EQ(plain.palette.size(), 256u);
    EXPECT_EQ(plain.transparentIndex, -1);
    // The sweep's 12288 colours fill a 255 x 255 sheet: 256 entries leave
    // squares of about 16 x 16, so about 3.5 a channel is the best possible
    // (a fixed 6 x 7 x 6 palette gives about 10). With diffusion, areas
    // average out.
    EXPECT_LT(MeanError(image, plain, 1), 4.0);
    EXPECT_LT(MeanError(image, dithered, 4), 1.0);
    std::set<std::uint8_t> used(plain.indices.begin(), plain.indices.end());
    EXPECT_GT(used.size(), 200u);  // the palette is spent, not wasted
}

TEST(ColourQuantizer, SameInputSameOutput) {
    const Bgra image = Sweep();
    const IndexedPixels a = Quantize(image, true), b = Quantize(image, true);
    EXPECT_EQ(a.palette, b.palette);
    EXPECT_EQ(a.indices, b.indices);
}

}  // namespace
}  // namespace encode_test
