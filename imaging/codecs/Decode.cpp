#include "imaging/codecs/Decode.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <new>

#include "imaging/codecs/Decoders.h"

namespace imaging {
namespace {

// Files beyond this cannot be a picture the limits would allow anyway.
constexpr std::uint64_t kMaxFileBytes = std::uint64_t{1} << 31;

Status FileError(int err) {
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return FileNotFound;
    case EACCES:
    case EPERM:
        return AccessDenied;
    default:
        return Win32Error;
    }
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (fd_ >= 0) close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

enum class Format { Unknown, Png, Jpeg, Gif, Tiff, Bmp, Webp, Heif };

// The format the first bytes announce; kSniffBytes are enough for every one
// (an ftyp box lists its brands within them in every file seen).
constexpr std::size_t kSniffBytes = 64;

// Brands of still HEIF and AVIF pictures and of the sequences that may hold
// one. mif1 alone says nothing of the codec: libheif tells HEVC from AV1.
bool IsHeifBrand(const std::uint8_t* brand) {
    static constexpr char kBrands[][4] = {{'h', 'e', 'i', 'c'}, {'h', 'e', 'i', 'x'}, {'h', 'e', 'v', 'c'},
                                          {'h', 'e', 'v', 'x'}, {'h', 'e', 'i', 'm'}, {'h', 'e', 'i', 's'},
                                          {'h', 'e', 'v', 'm'}, {'h', 'e', 'v', 's'}, {'m', 'i', 'f', '1'},
                                          {'m', 's', 'f', '1'}, {'a', 'v', 'i', 'f'}, {'a', 'v', 'i', 's'}};
    return std::any_of(std::begin(kBrands), std::end(kBrands),
                       [brand](const char* b) { return std::memcmp(brand, b, 4) == 0; });
}

// An ISO-BMFF file opening with an ftyp box whose major brand (offset 8) or
// one of its compatible brands (from offset 16) is a HEIF or AVIF one. Only
// the first kSniffBytes count, so a file and its bytes in memory agree.
bool IsHeif(const std::uint8_t* data, std::size_t size) {
    if (size < 16 || std::memcmp(data + 4, "ftyp", 4) != 0) return false;
    const std::uint32_t boxSize = std::uint32_t{data[0]} << 24 | std::uint32_t{data[1]} << 16 |
                                  std::uint32_t{data[2]} << 8 | data[3];
    if (boxSize < 16) return false;
    if (IsHeifBrand(data + 8)) return true;
    const std::size_t end = std::min<std::size_t>({boxSize, size, kSniffBytes});
    for (std::size_t at = 16; at + 4 <= end; at += 4)
        if (IsHeifBrand(data + at)) return true;
    return false;
}

Format Sniff(const std::uint8_t* data, std::size_t size) {
    if (StartsWith(data, size, "\x89PNG\r\n\x1a\n", 8)) return Format::Png;
    if (StartsWith(data, size, "\xff\xd8\xff", 3)) return Format::Jpeg;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return Format::Gif;
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4) ||
        StartsWith(data, size, "II+\0", 4) || StartsWith(data, size, "MM\0+", 4))
        return Format::Tiff;
    if (StartsWith(data, size, "BM", 2)) return Format::Bmp;
    if (size >= 12 && StartsWith(data, size, "RIFF", 4) && std::memcmp(data + 8, "WEBP", 4) == 0) return Format::Webp;
    if (IsHeif(data, size)) return Format::Heif;
    return Format::Unknown;
}

// The most bytes a file of the format can need for a picture within the
// limit, plus room for metadata: TIFF 16 a pixel (four 16-bit samples, and a
// second page); the others 8, above four 16-bit samples or a worst-case
// compressed stream.
std::uint64_t MaxFileBytesFor(Format format, std::uint64_t maxPixels) {
    constexpr std::uint64_t kMetadata = std::uint64_t{16} << 20;
    const std::uint64_t pixels = std::min<std::uint64_t>(maxPixels, kMaxPicturePixels);
    const std::uint64_t perPixel = format == Format::Tiff ? 16 : 8;
    return std::min(kMaxFileBytes, pixels * perPixel + kMetadata);
}

}  // namespace

Picture DecodeMemory(const std::uint8_t* data, std::size_t size, const DecodeLimits& limits) {
    if (data == nullptr && size != 0)
        return Picture::Failed(InvalidParameter);
    const detail::Bytes file{data, size, limits.maxPixels};
    switch (Sniff(data, size)) {
    case Format::Png: return detail::DecodePng(file);
    case Format::Jpeg: return detail::DecodeJpeg(file);
    case Format::Gif: return detail::DecodeGif(file);
    case Format::Tiff: return detail::DecodeTiff(file);
    case Format::Bmp: return detail::DecodeBmp(file);
    case Format::Webp: return detail::DecodeWebp(file);
    case Format::Heif: return detail::DecodeHeif(file);
    case Format::Unknown: break;
    }
    return Picture::Failed(UnknownImageFormat);
}

Picture DecodeFile(const std::filesystem::path& path, const DecodeLimits& limits) {
    const FileDescriptor fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return Picture::Failed(FileError(errno));
    struct stat st {};
    if (fstat(fd.get(), &st) != 0)
        return Picture::Failed(FileError(errno));
    if (!S_ISREG(st.st_mode))
        return Picture::Failed(Win32Error);  // folders, pipes, devices
    const auto size = static_cast<std::uint64_t>(st.st_size);
    // The content is recognised before the rest is read, and no file larger
    // than its format can need for the limit is read at all.
    std::uint8_t head[kSniffBytes] = {};
    std::size_t headSize = 0;
    while (headSize < sizeof head) {
        const ssize_t n = pread(fd.get(), head + headSize, sizeof head - headSize, static_cast<off_t>(headSize));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Picture::Failed(FileError(errno));
        if (n == 0)
            break;
        headSize += static_cast<std::size_t>(n);
    }
    const Format format = Sniff(head, headSize);
    if (format == Format::Unknown)
        return Picture::Failed(UnknownImageFormat);
    if (size > MaxFileBytesFor(format, limits.maxPixels))
        return Picture::Failed(OutOfMemory);
    std::unique_ptr<std::uint8_t[]> bytes(new (std::nothrow) std::uint8_t[size ? size : 1]);
    if (!bytes)
        return Picture::Failed(OutOfMemory);
    std::size_t got = 0;
    while (got < size) {
        const ssize_t n = read(fd.get(), bytes.get() + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Picture::Failed(FileError(errno));
        if (n == 0)
            break;  // shrank while reading: decode what is there
        got += static_cast<std::size_t>(n);
    }
    return DecodeMemory(bytes.get(), got, limits);
}

}  // namespace imaging
