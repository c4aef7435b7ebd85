// The image file services as the window uses them: each failure is shown in
// the standard message box, and the result says only whether it worked.
#pragma once

#include <string>

#include "imaging/picture/Picture.h"

// TrySaveImageByExtension, showing its message; false after a failure.
bool SaveImageByExtension(const std::string& path, imaging::Picture& picture);
// TryGetTempFolder, showing its message; false after a failure.
bool GetTempFolder(std::string& folder);
