#include "ui/SettingsStore.h"

#include <wx/config.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#ifndef __WXMSW__
#include <wx/fileconf.h>
#endif

namespace {

wxString KeyPath(const wxString& section, const wxString& key) {
    return section.empty() ? "/" + key : "/" + section + "/" + key;
}

wxConfigBase* Store() { return wxConfigBase::Get(false); }

}  // namespace

void InitSettingsStore() {
#ifdef __WXMSW__
    wxConfigBase::Set(new wxConfig("Velmor", "Tolvane"));
#else
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || base.empty()) base = wxFileName::GetHomeDir() + "/.config";
    const wxString dir = base + "/Tolvane";
    wxFileName::Mkdir(dir, 0700, wxPATH_MKDIR_FULL);
    auto* config = new wxFileConfig("Velmor", "Tolvane", dir + "/Velmor.conf", wxEmptyString,
                                    wxCONFIG_USE_LOCAL_FILE);
    config->SetUmask(0077);
    wxConfigBase::Set(config);
#endif
    // Values stay exactly as written: no environment-variable expansion.
    Store()->SetExpandEnvVars(false);
}

void FlushSettings() {
    if (wxConfigBase* c = Store()) c->Flush();
}

std::uint32_t ReadSettingInt(const wxString& section, const wxString& key, std::uint32_t defaultValue) {
    wxConfigBase* c = Store();
    if (c == nullptr) return defaultValue;
    wxString text;
    if (!c->Read(KeyPath(section, key), &text)) return defaultValue;
    // Stored as the 32-bit pattern; accept the signed and the unsigned reading.
    long long v = 0;
    if (!text.ToLongLong(&v) || v < INT32_MIN || v > UINT32_MAX) return defaultValue;
    return static_cast<std::uint32_t>(v);
}

bool WriteSettingInt(const wxString& section, const wxString& key, std::uint32_t value) {
    wxConfigBase* c = Store();
    return c != nullptr && c->Write(KeyPath(section, key), static_cast<long>(static_cast<std::int32_t>(value)));
}

wxString ReadSettingString(const wxString& section, const wxString& key, const wxString& defaultValue) {
    wxConfigBase* c = Store();
    wxString text;
    if (c == nullptr || !c->Read(KeyPath(section, key), &text)) return defaultValue;
    return text;
}

bool WriteSettingString(const wxString& section, const wxString& key, const wxString& text) {
    wxConfigBase* c = Store();
    return c != nullptr && c->Write(KeyPath(section, key), text);
}

void LoadRecentFiles(wxFileHistory& history) {
    // Oldest first, so that File1 ends on top.
    for (int i = static_cast<int>(history.GetMaxFiles()); i >= 1; --i) {
        const wxString path = ReadSettingString("Recent File List", wxString::Format("File%d", i));
        if (!path.empty()) history.AddFileToHistory(path);
    }
}

void SaveRecentFiles(const wxFileHistory& history) {
    for (size_t i = 0; i < static_cast<size_t>(history.GetMaxFiles()); ++i) {
        const wxString key = wxString::Format("File%d", static_cast<int>(i + 1));
        if (i < history.GetCount())
            WriteSettingString("Recent File List", key, history.GetHistoryFile(i));
        else if (wxConfigBase* c = Store())
            c->DeleteEntry(KeyPath("Recent File List", key), false);
    }
}
