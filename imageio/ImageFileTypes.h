// The picture file types the program writes and offers in its file dialogs:
// eight extensions with the MIME type of the encoder that writes each. The
// row order matters: the dialog filter groups rows by index (ImageFileFilter.h).
#pragma once

#include <array>
#include <cstddef>

struct ImageFileType {
    const char* extension;  // with its leading dot, lower case
    const char* mimeType;
};

inline constexpr std::size_t kImageFileTypeCount = 8;

inline constexpr std::array<ImageFileType, kImageFileTypeCount> ImageFileTypes = {{
    {".bmp", "image/bmp"},
    {".jpg", "image/jpeg"},
    {".jpeg", "image/jpeg"},
    {".jpe", "image/jpeg"},
    {".png", "image/png"},
    {".gif", "image/gif"},
    {".tif", "image/tiff"},
    {".tiff", "image/tiff"},
}};
