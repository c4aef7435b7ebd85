// A failure of the image file services, as a value. Showing it is the
// caller's job: a message box in the window, one stderr line in the tool.
#pragma once

#include <string>

#include "imaging/picture/Status.h"

struct ImageFileError {
    // The whole text the user must see: a first line naming the failed
    // operation, ending in "\n", then the detail (UTF-8).
    std::string message;
    // The picture layer's status behind it, Ok where none caused it.
    imaging::Status status = imaging::Ok;
};
