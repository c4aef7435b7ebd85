// Small plane fixtures for the engine tests: random planes of a few kinds and
// a comparison of interiors that names the first differing pixel.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace engine_test {

using Plane = std::vector<std::uint8_t>;

struct Size {
    int width, height;
    friend std::ostream& operator<<(std::ostream& os, const Size& s) {
        return os << s.width << " x " << s.height;
    }
};

enum class Texture {
    Uniform,    // any byte anywhere: mostly strong, clamped responses
    FewLevels,  // 0, 1, 254, 255 only: ties everywhere in the median
    Smooth,     // gentle gradient plus noise: mid-sized responses near the thresholds
};

inline Plane MakePlane(int width, int height, Texture texture, unsigned seed) {
    std::mt19937 rng(seed);
    Plane plane(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            int v = 0;
            switch (texture) {
            case Texture::Uniform: v = static_cast<int>(rng() & 0xFF); break;
            case Texture::FewLevels: {
                static constexpr int kLevels[] = {0, 1, 254, 255};
                v = kLevels[rng() & 3];
                break;
            }
            case Texture::Smooth:
                v = 128 + (x * 3 + y * 5) % 96 - 48 + static_cast<int>(rng() % 41) - 20;
                break;
            }
            plane[static_cast<std::size_t>(y) * width + x] = static_cast<std::uint8_t>(v);
        }
    return plane;
}

// Success, or the first pixel of the interior (or of the whole plane) where
// the two differ.
inline testing::AssertionResult SameInterior(const Plane& expected, const Plane& actual, int width, int height,
                                             bool wholePlane = false) {
    const int margin = wholePlane ? 0 : 1;
    for (int y = margin; y < height - margin; ++y)
        for (int x = margin; x < width - margin; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            if (expected[i] != actual[i])
                return testing::AssertionFailure()
                       << "at (" << x << ", " << y << "): expected " << int{expected[i]} << ", got "
                       << int{actual[i]};
        }
    return testing::AssertionSuccess();
}

}  // namespace engine_test
