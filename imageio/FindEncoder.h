// Finding the encoder for a MIME type in the imaging layer's encoder list.
#pragma once

#include <string>

#include "imaging/codecs/Encoders.h"

// Returns the encoder's position in the list and fills `clsid`, or -1 with
// the reason in `errorText` (a status text, or one of
// "エンコーダーが1つも見つかりませんでした。", "メモリ不足です。",
// "エンコーダーが見つかりませんでした。"). The MIME type is compared exactly,
// with case. Shows no message; asks the list anew on every call.
int FindEncoderByMimeType(const std::string& mimeType, imaging::Clsid* clsid, std::string* errorText);
