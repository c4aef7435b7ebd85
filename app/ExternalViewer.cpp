#include "app/ExternalViewer.h"

#include <string>

#include "document/FileServices.h"
#include "document/UserMessage.h"
#include "res/UiTexts.h"
#include "ui/SettingsStore.h"
#include "viewer/TmpFileTypes.h"
#include "viewer/ViewerLaunch.h"

wxString GetTmpFileExtension() {
    const wxString name = ReadSettingString(kSectionSettings, "TmpFileType",
                                            wxString::FromUTF8(viewer::kDefaultTmpFileType.data()));
    const std::string_view extension = viewer::TmpFileExtensionFor(name.utf8_string());
    return wxString::FromUTF8(extension.data(), extension.size());
}

bool LaunchExternalViewer(imaging::Picture& picture, bool isOriginal, std::set<wxString>& tempFiles) {
    std::string folder;
    if (!GetTempFolder(folder)) return false;
    const std::string path = folder + (isOriginal ? "kolmi_motoe" : "kolmi_shitae") + GetTmpFileExtension().utf8_string();
    if (!SaveImageByExtension(path, picture)) return false;
    tempFiles.insert(wxString::FromUTF8(path));

    viewer::ViewerSettings settings;
    settings.viewerType = static_cast<int>(ReadSettingInt(kSectionSettings, "ViewerType", 0));
    if (settings.viewerType == 1) {
        settings.viewerPath = ReadSettingString(kSectionSettings, "ViewerPath").utf8_string();
        settings.viewerOption = ReadSettingString(kSectionSettings, "ViewerOption").utf8_string();
    }
    const int code = viewer::LaunchViewer(viewer::BuildViewerCommand(settings, path));
    if (code == viewer::kLaunchedOk) return true;
    ShowUserMessage(wxString::Format(wxString::FromUTF8(kMsgViewerFailed), code));
    return false;
}
