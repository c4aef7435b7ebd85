#include "tests/reference/SketchReference.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/SpeckRemoval.h"

namespace reference {

void BuildColourPlanes(const std::uint8_t* srcFirstRow, std::ptrdiff_t srcStride, int width, int height,
                       std::uint8_t* red, std::uint8_t* green, std::uint8_t* blue) {
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = srcFirstRow + y * srcStride;
        for (int x = 0; x < width; ++x) {
            const int b = row[4 * x];
            const int g = row[4 * x + 1];
            const int r = row[4 * x + 2];
            const int a = row[4 * x + 3];
            const int i = y * width + x;
            red[i] = static_cast<std::uint8_t>(255 - ((255 - r) * a) / 255);
            green[i] = static_cast<std::uint8_t>(255 - ((255 - g) * a) / 255);
            blue[i] = static_cast<std::uint8_t>(255 - ((255 - b) * a) / 255);
        }
    }
}

void MakeGreyPlane(const std::uint8_t* red, const std::uint8_t* green, const std::uint8_t* blue, int width,
                   int height, bool noiseRemoval, int strength, int removal, std::uint8_t* filterInput,
                   std::uint8_t* redLines, std::uint8_t* greenLines, std::uint8_t* blueLines, std::uint8_t* grey) {
    const int t = removal * 16;
    const std::uint8_t* planes[3] = {red, green, blue};
    std::uint8_t* lines[3] = {redLines, greenLines, blueLines};
    for (int c = 0; c < 3; ++c) {
        if (noiseRemoval)
            RemoveNoise(planes[c], filterInput, width, height);
        else
            std::memcpy(filterInput, planes[c], static_cast<std::size_t>(width) * height);
        ExtractLines(filterInput, lines[c], width, height, strength, t);
    }
    for (int i = 0; i < width * height; ++i)
        grey[i] = static_cast<std::uint8_t>((306 * redLines[i] + 601 * greenLines[i] + 117 * blueLines[i]) >> 10);
}

void PaintSketch(const std::uint8_t* grey, int width, int height, Colour lineColour, Colour frameColour,
                 std::uint8_t* dstFirstRow, std::ptrdiff_t dstStride) {
    if (width <= 0 || height <= 0) return;
    for (int y = 1; y <= height - 2; ++y) {
        std::uint8_t* row = dstFirstRow + y * dstStride;
        for (int x = 1; x <= width - 2; ++x) {
            const int d = 255 - grey[y * width + x];
            row[3 * x] = static_cast<std::uint8_t>(255 - (d * (255 - BlueOf(lineColour))) / 255);
            row[3 * x + 1] = static_cast<std::uint8_t>(255 - (d * (255 - GreenOf(lineColour))) / 255);
            row[3 * x + 2] = static_cast<std::uint8_t>(255 - (d * (255 - RedOf(lineColour))) / 255);
        }
    }
    auto frame = [&](int x, int y) {
        std::uint8_t* px = dstFirstRow + y * dstStride + 3 * x;
        px[0] = BlueOf(frameColour);
        px[1] = GreenOf(frameColour);
        px[2] = RedOf(frameColour);
    };
    for (int x = 0; x < width; ++x) {
        frame(x, 0);
        frame(x, height - 1);
    }
    for (int y = 0; y < height; ++y) {
        frame(0, y);
        frame(width - 1, y);
    }
}

void ExtractLines(const std::uint8_t* in, std::uint8_t* out, int width, int height, int strength, int threshold) {
    for (int y = 1; y <= height - 2; ++y) {
        for (int x = 1; x <= width - 2; ++x) {
            const int p = 255 - in[y * width + x];
            const int n = 255 - in[(y - 1) * width + x];
            const int w = 255 - in[y * width + x - 1];
            const int e = 255 - in[y * width + x + 1];
            const int so = 255 - in[(y + 1) * width + x];
            const int lap = 4 * p - n - w - e - so;
            int v = (p * lap) / 128;
            if ((v < 0 ? -v : v) < threshold) v = 0;
            int m = (v * strength) / 3;
            if (m < 0) m = 0;
            if (m > 255) m = 255;
            out[y * width + x] = static_cast<std::uint8_t>(255 - m);
        }
    }
}

void RemoveNoise(const std::uint8_t* in, std::uint8_t* out, int width, int height) {
    if (width <= 0 || height <= 0) return;
    for (int y = 1; y <= height - 2; ++y) {
        for (int x = 1; x <= width - 2; ++x) {
            std::uint8_t s[9];
            int k = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) s[k++] = in[(y + dy) * width + x + dx];
            for (int pass = 0; pass < 8; ++pass)
                for (int j = 0; j < 8; ++j)
                    if (s[j] > s[j + 1]) {
                        const std::uint8_t tmp = s[j];
                        s[j] = s[j + 1];
                        s[j + 1] = tmp;
                    }
            out[y * width + x] = s[4];
        }
    }
    for (int x = 0; x < width; ++x) {
        out[x] = in[x];
        out[(height - 1) * width + x] = in[(height - 1) * width + x];
    }
    for (int y = 0; y < height; ++y) {
        out[y * width] = in[y * width];
        out[y * width + width - 1] = in[y * width + width - 1];
    }
}

void ThickenLines(std::uint8_t* grey, int width, int height, int radius) {
    if (radius <= 0) return;
    const std::vector<std::uint8_t> in(grey, grey + static_cast<std::size_t>(width) * height);
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x) {
            int m = 255;
            for (int dy = -radius; dy <= radius; ++dy)
                for (int dx = -radius; dx <= radius; ++dx) {
                    const int sx = x + dx, sy = y + dy;
                    if (dx * dx + dy * dy > radius * radius) continue;
                    if (sx < 1 || sx > width - 2 || sy < 1 || sy > height - 2) continue;
                    m = std::min(m, static_cast<int>(in[static_cast<std::size_t>(sy) * width + sx]));
                }
            grey[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(m);
        }
}

void RemoveSpecks(std::uint8_t* grey, int width, int height, int minArea) {
    if (minArea <= 1 || width < 3 || height < 3) return;
    const auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * width + x; };
    std::vector<char> seen(static_cast<std::size_t>(width) * height, 0);
    for (int y = 1; y < height - 1; ++y)
        for (int x = 1; x < width - 1; ++x) {
            if (seen[at(x, y)] || grey[at(x, y)] >= kSpeckLevel) continue;
            std::vector<std::pair<int, int>> group{{x, y}};
            seen[at(x, y)] = 1;
            for (std::size_t i = 0; i < group.size(); ++i)
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = group[i].first + dx, ny = group[i].second + dy;
                        if (nx < 1 || nx > width - 2 || ny < 1 || ny > height - 2) continue;
                        if (seen[at(nx, ny)] || grey[at(nx, ny)] >= kSpeckLevel) continue;
                        seen[at(nx, ny)] = 1;
                        group.push_back({nx, ny});
                    }
            if (static_cast<int>(group.size()) < minArea)
                for (auto [gx, gy] : group) grey[at(gx, gy)] = 255;
        }
}

}  // namespace reference
