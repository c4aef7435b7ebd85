// Pictures made in code for the encoder tests, a scratch folder, and an
// independent reader: ImageMagick's convert, which decodes every format the
// encoders write into plain R,G,B,A bytes.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/codecs/Encoders.h"
#include "imaging/picture/Picture.h"

namespace encode_test {

namespace fs = std::filesystem;

// A fresh folder removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/velmor-encode-test-XXXXXX";
        path_ = ::mkdtemp(pattern);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    fs::path path_;
};

inline std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Pixels as R,G,B,A bytes, row after row.
struct Rgba {
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint8_t> bytes;
};

inline std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) return output;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    ::pclose(pipe);
    return output;
}

// The first frame of a file, through ImageMagick (not our decoders).
inline Rgba ReadWithImageMagick(const fs::path& file) {
    Rgba image;
    std::string quoted = "'";
    quoted += file.string();
    quoted += "[0]' 2>/dev/null";
    std::string identify = "/usr/bin/identify -format '%w %h' ";
    identify += quoted;
    const std::string size = RunCommand(identify);
    if (std::sscanf(size.c_str(), "%u %u", &image.width, &image.height) != 2) return {};
    std::string convert = "/usr/bin/convert -depth 8 ";
    convert += quoted.substr(0, quoted.find(' '));
    convert += " rgba:- 2>/dev/null";
    const std::string pixels = RunCommand(convert);
    image.bytes.assign(pixels.begin(), pixels.end());
    return image;
}

inline std::string Identify(const fs::path& file, const std::string& format) {
    return RunCommand("/usr/bin/identify -format '" + format + "' '" + file.string() + "[0]' 2>/dev/null");
}

// The picture's pixels as the layer converts them to 32-bit ARGB, in R,G,B,A
// order: what a faithful round trip must give back.
inline Rgba ExpectedRgba(imaging::Picture& picture) {
    Rgba image{picture.Width(), picture.Height(), {}};
    imaging::BitmapData data;
    if (picture.LockBits(nullptr, imaging::ImageLockModeRead, imaging::PixelFormat32bppARGB, &data) != imaging::Ok)
        return {};
    for (std::uint32_t y = 0; y < data.height; ++y) {
        const auto* row = static_cast<const std::uint8_t*>(data.scan0) + static_cast<std::ptrdiff_t>(y) * data.stride;
        for (std::uint32_t x = 0; x < data.width; ++x) {
            const std::uint8_t* p = row + 4 * x;
            image.bytes.insert(image.bytes.end(), {p[2], p[1], p[0], p[3]});
        }
    }
    picture.UnlockBits(&data);
    return image;
}

// A pattern with many colours: two gradients and a checker, different in
// every channel so that swapped channels or rows show.
inline std::uint8_t Sample(std::uint32_t x, std::uint32_t y, unsigned channel) {
    switch (channel) {
    case 0: return static_cast<std::uint8_t>(x * 255 / 40 + ((x + y) & 1) * 3);
    case 1: return static_cast<std::uint8_t>(y * 255 / 30);
    case 2: return static_cast<std::uint8_t>((x * 7 + y * 13) & 0xFF);
    default: return static_cast<std::uint8_t>(x < 4 ? 0 : x < 8 ? 100 : x < 12 ? 127 : x < 16 ? 128 : 255);
    }
}

// What a test picture shows.
enum class Content {
    Pattern,     // gradients, a ramp that wraps and a checker: many sharp colours
    FewColours,  // the pattern cut to 4 levels a channel (64 colours)
    Smooth,      // gentle gradients (indexed: a grey ramp), as a photograph
};

// Fills a picture in its own format; the sizes are odd so that row padding
// and packed indices are exercised. Alpha steps through 0, 100, 127, 128, 255.
inline imaging::Picture MakePicture(imaging::PixelFormat format, std::uint32_t width = 41, std::uint32_t height = 31,
                                    Content content = Content::Pattern) {
    using namespace imaging;
    Picture picture(static_cast<int>(width), static_cast<int>(height), format);
    if (!picture.IsValid()) return picture;
    if (IsIndexed(format)) {
        const std::size_t entries = std::size_t{1} << BitsPerPixel(format);
        std::vector<Argb> palette;
        for (std::size_t i = 0; i < entries; ++i)
            palette.push_back(content == Content::Smooth ? 0xFF000000u | static_cast<Argb>(i * 255 / (entries - 1)) * 0x010101u :
                              0xFF000000u | static_cast<Argb>((i * 37) & 0xFF) << 16 |
                              static_cast<Argb>((i * 91 + 5) & 0xFF) << 8 | static_cast<Argb>((255 - i) & 0xFF));
        picture.SetPalette(palette);
    }
    BitmapData data;
    if (picture.LockBits(nullptr, ImageLockModeRead | ImageLockModeWrite, format, &data) != Ok) return picture;
    const unsigned bits = BitsPerPixel(format);
    auto level = [&](std::uint32_t x, std::uint32_t y, unsigned c) -> std::uint8_t {
        if (c == 3) return Sample(x, y, c);
        switch (content) {
        case Content::FewColours: return static_cast<std::uint8_t>(Sample(x, y, c) / 64 * 64);
        case Content::Smooth: return static_cast<std::uint8_t>(c == 0 ? x * 255 / width : c == 1 ? y * 255 / height : (x + y) * 255 / (width + height));
        default: return Sample(x, y, c);
        }
    };
    for (std::uint32_t y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(data.scan0) + static_cast<std::ptrdiff_t>(y) * data.stride;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint8_t b = level(x, y, 2), g = level(x, y, 1), r = level(x, y, 0), a = level(x, y, 3);
            const std::uint32_t mask = (1u << (bits < 8 ? bits : 8)) - 1;
            const std::uint32_t index = content == Content::Smooth ? ((x * 4 + y * 2) * mask / 220) & mask
                                                                   : (x * 5 + y * 3) & mask;
            std::uint16_t wide[4] = {static_cast<std::uint16_t>(b * 257), static_cast<std::uint16_t>(g * 257),
                                     static_cast<std::uint16_t>(r * 257), static_cast<std::uint16_t>(a * 257)};
            switch (format) {
            case PixelFormat1bppIndexed: row[x >> 3] |= static_cast<std::uint8_t>(index << (7 - (x & 7))); break;
            case PixelFormat4bppIndexed: row[x >> 1] |= static_cast<std::uint8_t>(index << ((x & 1) ? 0 : 4)); break;
            case PixelFormat8bppIndexed: row[x] = static_cast<std::uint8_t>(index); break;
            case PixelFormat16bppGrayScale: std::memcpy(row + 2 * x, &wide[1], 2); break;
            case PixelFormat24bppRGB: row[3 * x] = b, row[3 * x + 1] = g, row[3 * x + 2] = r; break;
            case PixelFormat32bppRGB: row[4 * x] = b, row[4 * x + 1] = g, row[4 * x + 2] = r, row[4 * x + 3] = 255; break;
            case PixelFormat32bppARGB: row[4 * x] = b, row[4 * x + 1] = g, row[4 * x + 2] = r, row[4 * x + 3] = a; break;
            case PixelFormat48bppRGB: std::memcpy(row + 6 * x, wide, 6); break;
            case PixelFormat64bppARGB: std::memcpy(row + 8 * x, wide, 8); break;
            default: break;
            }
        }
    }
    picture.UnlockBits(&data);
    return picture;
}

inline imaging::Clsid ClsidOf(const char* mimeType) {
    std::uint32_t count = 0, size = 0;
    imaging::GetImageEncodersSize(&count, &size);
    std::vector<std::uint64_t> storage((size + 7) / 8);
    auto* records = reinterpret_cast<imaging::ImageCodecInfo*>(storage.data());
    if (imaging::GetImageEncoders(count, size, records) == imaging::Ok)
        for (std::uint32_t i = 0; i < count; ++i)
            if (std::strcmp(records[i].mimeType, mimeType) == 0) return records[i].clsid;
    ADD_FAILURE() << "no encoder for " << mimeType;
    return {};
}

}  // namespace encode_test
