// The encoder list and saving. Each encoder is described by a record with a
// 16-byte class id and a MIME type ("image/bmp", "image/jpeg", "image/png",
// "image/gif", "image/tiff"); a picture is saved by naming the class id.
//
// What each encoder writes, with no options to change it:
//   BMP   24-bit; 32-bit with alpha for pictures with alpha; 8-bit palette
//         for indexed pictures.
//   JPEG  quality 75, 4:2:0; grey pictures as one-channel JPEG.
//   PNG   palette PNG for indexed pictures (alpha in tRNS), RGB for 24/32-bit,
//         RGBA for ARGB, 16-bit grey/RGB/RGBA for the 16-bit formats.
//   GIF   exact palette when the picture has 256 colours or fewer, otherwise
//         median cut to 256 colours with error diffusion; pixels with alpha
//         below 128 become the transparent index.
//   TIFF  LZW with horizontal prediction; palette TIFF for opaque indexed
//         pictures; alpha kept as unassociated alpha.
//
// Failures: InvalidParameter for an invalid picture or a size the format
// cannot hold, UnknownImageFormat for a class id not in the list,
// OutOfMemory, and the file errors of WriteFileAtomically (AtomicFile.h).
// Nothing throws.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/picture/Picture.h"

namespace imaging {

struct Clsid {
    std::uint8_t bytes[16] = {};
    friend bool operator==(const Clsid&, const Clsid&) = default;
};

inline constexpr std::uint32_t kImageCodecFlagsEncoder = 0x00000001;
inline constexpr std::uint32_t kImageCodecFlagsSupportBitmap = 0x00000004;
inline constexpr std::uint32_t kImageCodecFlagsBuiltin = 0x00010000;

// One encoder's description. The strings live in the same buffer as the
// records (after the last record), as GetImageEncoders lays them out.
struct ImageCodecInfo {
    Clsid clsid;
    Clsid formatId;
    const char* codecName;
    const char* formatDescription;
    const char* filenameExtension;  // e.g. "*.JPG;*.JPEG;*.JPE;*.JFIF"
    const char* mimeType;
    std::uint32_t flags;
    std::uint32_t version;
};

// Number of encoders and the bytes needed for their records and strings.
Status GetImageEncodersSize(std::uint32_t* numEncoders, std::uint32_t* size);
// Fills `buffer` (exactly `size` bytes from GetImageEncodersSize, aligned as
// operator new aligns) with the records. InvalidParameter when the count or
// size does not match.
Status GetImageEncoders(std::uint32_t numEncoders, std::uint32_t size, ImageCodecInfo* buffer);

// Encodes the picture with the encoder of `clsid`. Saving to a file replaces
// the target only once the new file is completely written (a temporary file
// in the same folder, then a rename), so a failure never destroys an
// existing file or leaves a partial one.
Status SaveImageToFile(Picture& picture, const std::filesystem::path& path, const Clsid& clsid);
// The same bytes into `out`, which is left empty on failure.
Status SaveImageToMemory(Picture& picture, const Clsid& clsid, std::vector<std::uint8_t>* out);

}  // namespace imaging
