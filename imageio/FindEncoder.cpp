#include "imageio/FindEncoder.h"

#include <cstring>
#include <memory>
#include <new>

#include "imageio/GraphicsStatusText.h"

int FindEncoderByMimeType(const std::string& mimeType, imaging::Clsid* clsid, std::string* errorText) {
    std::uint32_t count = 0, size = 0;
    imaging::Status status = imaging::GetImageEncodersSize(&count, &size);
    if (status != imaging::Ok) {
        *errorText = GraphicsStatusText(status);
        return -1;
    }
    if (size == 0) {
        *errorText = "エンコーダーが1つも見つかりませんでした。";
        return -1;
    }
    // Records and their strings share the one buffer, so it is raw storage.
    std::unique_ptr<std::byte[]> buffer(new (std::nothrow) std::byte[size]);
    if (!buffer) {
        *errorText = "メモリ不足です。";
        return -1;
    }
    auto* records = reinterpret_cast<imaging::ImageCodecInfo*>(buffer.get());
    status = imaging::GetImageEncoders(count, size, records);
    if (status != imaging::Ok) {
        *errorText = GraphicsStatusText(status);
        return -1;
    }
    for (std::uint32_t i = 0; i < count; ++i) {
        if (records[i].mimeType != nullptr && mimeType == records[i].mimeType) {
            *clsid = records[i].clsid;
            return static_cast<int>(i);
        }
    }
    *errorText = "エンコーダーが見つかりませんでした。";
    return -1;
}
