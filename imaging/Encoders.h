// The encoder list and saving. Each encoder is described by a record with a
// 16-byte class id and a MIME type ("image/bmp", "image/jpeg", "image/png",
// "image/gif", "image/tiff"); a picture is saved by naming the class id.
//
// Defaults: JPEG quality 75; PNG keeps alpha; TIFF with LZW; GIF exact for
// pictures of 256 colours or fewer and well quantised otherwise.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "imaging/Picture.h"

namespace imaging {

struct Clsid {
    std::uint8_t bytes[16] = {};
    friend bool operator==(const Clsid&, const Clsid&) = default;
};

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
// Fills `buffer` (at least `size` bytes, suitably aligned) with the records.
// InvalidParameter when the count or size does not match.
Status GetImageEncoders(std::uint32_t numEncoders, std::uint32_t size, ImageCodecInfo* buffer);

// Encodes the picture with the encoder of `clsid`. Saving to a file replaces
// the target only once the new file is completely written (a temporary file
// in the same folder, then a rename), so a failure never destroys an
// existing file or leaves a partial one.
Status SaveImageToFile(Picture& picture, const std::filesystem::path& path, const Clsid& clsid);
Status SaveImageToMemory(Picture& picture, const Clsid& clsid, std::vector<std::uint8_t>* out);

}  // namespace imaging
