#include "document/FileServices.h"

#include <wx/string.h>

#include "document/UserMessage.h"
#include "imageio/SaveImage.h"
#include "imageio/TempFolder.h"

bool SaveImageByExtension(const std::string& path, imaging::Picture& picture) {
    const auto failure = TrySaveImageByExtension(path, picture);
    if (failure) ShowUserMessage(wxString::FromUTF8(failure->message));
    return !failure;
}

bool GetTempFolder(std::string& folder) {
    const auto failure = TryGetTempFolder(folder);
    if (failure) ShowUserMessage(wxString::FromUTF8(failure->message));
    return !failure;
}
