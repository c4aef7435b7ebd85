#include "imaging/codecs/ColourQuantizer.h"

#include <algorithm>
#include <array>
#include <memory>

namespace imaging {

namespace {

constexpr std::uint8_t kAlphaThreshold = 128;

std::uint32_t Rgb(const std::uint8_t* p) {
    return std::uint32_t{p[2]} << 16 | std::uint32_t{p[1]} << 8 | p[0];
}

const std::uint8_t* RowAt(const std::uint8_t* top, std::ptrdiff_t stride, std::uint32_t y) {
    return top + static_cast<std::ptrdiff_t>(y) * stride;
}

// Open-addressed set of up to `limit` colours, each with its palette index.
class ColourTable {
public:
    // Returns the colour's index, adding it if new; -1 once it would exceed
    // `limit` colours.
    int Find(std::uint32_t rgb, std::vector<Argb>& palette, std::size_t limit) {
        const std::uint32_t key = rgb | 0x01000000u;  // 0 marks a free slot
        std::uint32_t slot = (rgb * 0x9E3779B1u) >> (32 - kBits);
        while (keys_[slot] != 0) {
            if (keys_[slot] == key) return values_[slot];
            slot = (slot + 1) & (kSize - 1);
        }
        if (palette.size() == limit) return -1;
        keys_[slot] = key;
        values_[slot] = static_cast<std::uint8_t>(palette.size());
        palette.push_back(0xFF000000u | rgb);
        return values_[slot];
    }

private:
    static constexpr unsigned kBits = 10;  // 1024 slots: at most a quarter full
    static constexpr std::uint32_t kSize = 1u << kBits;
    std::array<std::uint32_t, kSize> keys_{};
    std::array<std::uint8_t, kSize> values_{};
};

bool AnyTransparent(const std::uint8_t* top, std::ptrdiff_t stride, std::uint32_t width, std::uint32_t height) {
    for (std::uint32_t y = 0; y < height; ++y) {
        const std::uint8_t* row = RowAt(top, stride, y);
        unsigned below = 0;
        for (std::uint32_t x = 0; x < width; ++x) below |= row[4 * x + 3] < kAlphaThreshold;
        if (below) return true;
    }
    return false;
}

bool MapExactly(const std::uint8_t* top, std::ptrdiff_t stride, IndexedPixels& out, std::size_t limit) {
    auto table = std::make_unique<ColourTable>();
    const std::uint8_t transparent = static_cast<std::uint8_t>(limit);  // fixed up by the caller
    std::uint32_t lastRgb = 0xFFFFFFFFu;
    int lastIndex = 0;
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = RowAt(top, stride, y);
        std::uint8_t* dst = out.indices.data() + std::size_t{y} * out.width;
        for (std::uint32_t x = 0; x < out.width; ++x) {
            const std::uint8_t* p = row + 4 * x;
            if (p[3] < kAlphaThreshold) {
                dst[x] = transparent;
                continue;
            }
            const std::uint32_t rgb = Rgb(p);
            if (rgb != lastRgb) {  // runs of one colour are the common case
                lastIndex = table->Find(rgb, out.palette, limit);
                if (lastIndex < 0) return false;
                lastRgb = rgb;
            }
            dst[x] = static_cast<std::uint8_t>(lastIndex);
        }
    }
    return true;
}

// Histogram cell of 6 bits a channel.
constexpr unsigned kCellBits = 6;
constexpr std::uint32_t kCells = 1u << (3 * kCellBits);

std::uint32_t CellOf(unsigned r, unsigned g, unsigned b) {
    constexpr unsigned s = 8 - kCellBits;
    return (r >> s) << (2 * kCellBits) | (g >> s) << kCellBits | (b >> s);
}

struct Tally {
    std::uint64_t count;
    std::uint64_t sum[3];  // r, g, b
};

struct Cell {
    std::uint64_t count;
    std::uint64_t sum[3];  // r, g, b
    double mean[3];
};

struct Box {
    std::size_t begin, end;  // range of cells
    double score;            // sum of squared distances to the box mean
    int axis;                // channel of the largest spread
};

Box MakeBox(std::vector<Cell>& cells, std::size_t begin, std::size_t end) {
    double n = 0, s[3] = {}, q[3] = {};
    for (std::size_t i = begin; i < end; ++i) {
        const Cell& c = cells[i];
        const double w = static_cast<double>(c.count);
        n += w;
        for (int k = 0; k < 3; ++k) {
            s[k] += w * c.mean[k];
            q[k] += w * c.mean[k] * c.mean[k];
        }
    }
    Box box{begin, end, 0, 0};
    double best = -1;
    for (int k = 0; k < 3; ++k) {
        const double var = q[k] - s[k] * s[k] / n;
        box.score += var;
        if (var > best) best = var, box.axis = k;
    }
    if (end - begin < 2) box.score = 0;
    return box;
}

std::vector<Argb> MedianCut(std::vector<Cell>& cells, std::size_t colours) {
    std::vector<Box> boxes{MakeBox(cells, 0, cells.size())};
    while (boxes.size() < colours) {
        auto it = std::max_element(boxes.begin(), boxes.end(),
                                   [](const Box& a, const Box& b) { return a.score < b.score; });
        if (it->score <= 0) break;
        const Box box = *it;
        const int axis = box.axis;
        std::sort(cells.begin() + static_cast<std::ptrdiff_t>(box.begin),
                  cells.begin() + static_cast<std::ptrdiff_t>(box.end),
                  [axis](const Cell& a, const Cell& b) { return a.mean[axis] < b.mean[axis]; });
        std::uint64_t total = 0, half = 0;
        for (std::size_t i = box.begin; i < box.end; ++i) total += cells[i].count;
        std::size_t split = box.begin + 1;
        for (std::size_t i = box.begin; i < box.end - 1; ++i) {
            half += cells[i].count;
            split = i + 1;
            if (2 * half >= total) break;
        }
        *it = MakeBox(cells, box.begin, split);
        boxes.push_back(MakeBox(cells, split, box.end));
    }
    std::vector<Argb> palette;
    for (const Box& box : boxes) {
        std::uint64_t n = 0, s[3] = {};
        for (std::size_t i = box.begin; i < box.end; ++i) {
            n += cells[i].count;
            for (int k = 0; k < 3; ++k) s[k] += cells[i].sum[k];
        }
        Argb c = 0xFF000000u;
        for (int k = 0; k < 3; ++k) c |= static_cast<Argb>((s[k] + n / 2) / n) << (16 - 8 * k);
        palette.push_back(c);
    }
    return palette;
}

// Nearest palette entry for each histogram cell, found on first use.
class NearestColour {
public:
    explicit NearestColour(const std::vector<Argb>& palette, std::size_t opaque)
        : palette_(palette), opaque_(opaque), cache_(kCells, -1) {}

    std::uint8_t operator()(int r, int g, int b) {
        const std::uint32_t cell = CellOf(static_cast<unsigned>(r), static_cast<unsigned>(g),
                                          static_cast<unsigned>(b));
        if (cache_[cell] < 0) cache_[cell] = Search(r, g, b);
        return static_cast<std::uint8_t>(cache_[cell]);
    }

private:
    // Searched from the cell's centre region, so the result does not depend on
    // which colour of the cell came first.
    std::int16_t Search(int r, int g, int b) const {
        constexpr int half = 1 << (7 - kCellBits);
        r = (r & ~(2 * half - 1)) + half;
        g = (g & ~(2 * half - 1)) + half;
        b = (b & ~(2 * half - 1)) + half;
        int best = 0, bestDistance = 1 << 30;
        for (std::size_t i = 0; i < opaque_; ++i) {
            const Argb c = palette_[i];
            const int dr = r - static_cast<int>((c >> 16) & 0xFF), dg = g - static_cast<int>((c >> 8) & 0xFF),
                      db = b - static_cast<int>(c & 0xFF);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) bestDistance = d, best = static_cast<int>(i);
        }
        return static_cast<std::int16_t>(best);
    }

    const std::vector<Argb>& palette_;
    std::size_t opaque_;
    std::vector<std::int16_t> cache_;
};

void MapToPalette(const std::uint8_t* top, std::ptrdiff_t stride, IndexedPixels& out, std::size_t opaque,
                  std::uint8_t transparent, bool dither) {
    NearestColour nearest(out.palette, opaque);
    const std::uint32_t w = out.width;
    // Errors in sixteenths, one guard pixel on each side.
    std::vector<int> current(3 * (std::size_t{w} + 2)), next(3 * (std::size_t{w} + 2));
    for (std::uint32_t y = 0; y < out.height; ++y) {
        const std::uint8_t* row = RowAt(top, stride, y);
        std::uint8_t* dst = out.indices.data() + std::size_t{y} * w;
        std::fill(next.begin(), next.end(), 0);
        const bool forward = (y & 1) == 0;
        for (std::uint32_t i = 0; i < w; ++i) {
            const std::uint32_t x = forward ? i : w - 1 - i;
            const std::uint8_t* p = row + 4 * x;
            if (p[3] < kAlphaThreshold) {
                dst[x] = transparent;
                continue;
            }
            int v[3] = {p[2], p[1], p[0]};
            if (dither) {
                for (int k = 0; k < 3; ++k)
                    v[k] = std::clamp(v[k] + current[3 * (x + 1) + k] / 16, 0, 255);
            }
            const std::uint8_t index = nearest(v[0], v[1], v[2]);
            dst[x] = index;
            if (!dither) continue;
            const Argb c = out.palette[index];
            const std::size_t ahead = forward ? x + 2 : x, behind = forward ? x : x + 2;
            for (int k = 0; k < 3; ++k) {
                const int e = v[k] - static_cast<int>((c >> (16 - 8 * k)) & 0xFF);
                current[3 * ahead + k] += 7 * e;
                next[3 * behind + k] += 3 * e;
                next[3 * (x + 1) + k] += 5 * e;
                next[3 * ahead + k] += e;
            }
        }
        std::swap(current, next);
    }
}

}  // namespace

IndexedPixels QuantizeColours(const std::uint8_t* top, std::ptrdiff_t stride, std::uint32_t width,
                              std::uint32_t height, bool dither) {
    IndexedPixels out;
    out.width = width;
    out.height = height;
    out.indices.resize(std::size_t{width} * height);
    const bool transparent = AnyTransparent(top, stride, width, height);
    const std::size_t opaqueLimit = transparent ? 255 : 256;

    out.exact = MapExactly(top, stride, out, opaqueLimit);
    if (!out.exact) {
        std::vector<Tally> histogram(kCells);
        for (std::uint32_t y = 0; y < height; ++y) {
            const std::uint8_t* row = RowAt(top, stride, y);
            for (std::uint32_t x = 0; x < width; ++x) {
                const std::uint8_t* p = row + 4 * x;
                if (p[3] < kAlphaThreshold) continue;
                Tally& c = histogram[CellOf(p[2], p[1], p[0])];
                ++c.count;
                c.sum[0] += p[2];
                c.sum[1] += p[1];
                c.sum[2] += p[0];
            }
        }
        std::vector<Cell> cells;
        for (const Tally& t : histogram) {
            if (t.count == 0) continue;
            Cell c{t.count, {t.sum[0], t.sum[1], t.sum[2]}, {}};
            for (int k = 0; k < 3; ++k) c.mean[k] = static_cast<double>(t.sum[k]) / static_cast<double>(t.count);
            cells.push_back(c);
        }
        histogram = {};
        out.palette = MedianCut(cells, opaqueLimit);
        MapToPalette(top, stride, out, out.palette.size(), static_cast<std::uint8_t>(out.palette.size()), dither);
    }

    if (transparent) {
        // The transparent entry follows the opaque ones; MapExactly marked its
        // pixels with the limit, which may be past the palette's real end.
        const auto index = static_cast<std::uint8_t>(out.palette.size());
        if (out.exact) {
            const auto marker = static_cast<std::uint8_t>(opaqueLimit);
            for (std::uint8_t& i : out.indices) i = i == marker ? index : i;
        }
        out.transparentIndex = index;
        out.palette.push_back(0x00000000u);
    }
    if (out.palette.empty()) out.palette.push_back(0xFF000000u);
    return out;
}

}  // namespace imaging
