#include "ui/SettingsStore.h"

#include <wx/config.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#ifndef __WXMSW__
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <optional>

#include <wx/fileconf.h>
#endif

namespace {

wxString KeyPath(const wxString& section, const wxString& key) {
    return section.empty() ? "/" + key : "/" + section + "/" + key;
}

#ifdef __WXMSW__

// The registry works afresh on every call already.
wxConfigBase* Store() { return wxConfigBase::Get(false); }

// Each read and write goes to the registry as it is.
template <typename Op>
auto WithStore(bool, Op op) {
    return op(Store());
}

#else

wxString g_file;  // the store's file; empty before InitSettingsStore

// Holds the store's lock file while a write reads, changes and replaces the
// file, so two running copies never lose each other's keys.
class WriteLock {
public:
    WriteLock() {
        const wxString path = g_file + ".lock";
        fd_ = ::open(path.fn_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ >= 0) ::flock(fd_, LOCK_EX);
    }
    ~WriteLock() {
        if (fd_ >= 0) ::close(fd_);  // also releases the lock
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    int fd_ = -1;
};

// Every operation works on the file as it is now, with no cache: a write
// reads the file, changes its one key and replaces the file atomically.
template <typename Op>
auto WithStore(bool write, Op op) {
    std::optional<WriteLock> lock;
    if (write) lock.emplace();
    wxFileConfig config(wxEmptyString, wxEmptyString, g_file, wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
    config.SetUmask(0077);
    // Values stay exactly as written: no environment-variable expansion.
    config.SetExpandEnvVars(false);
    auto result = op(&config);
    if (write) config.Flush();  // a temporary file renamed over the old one
    return result;
}

#endif

}  // namespace

void InitSettingsStore() {
    // Nothing may make a store of its own behind our back (the help window
    // would keep its state there).
    wxConfigBase::DontCreateOnDemand();
#ifdef __WXMSW__
    wxConfigBase::Set(new wxConfig("Velmor", "Tolvane"));
    Store()->SetExpandEnvVars(false);
#else
    wxString base;
    if (!wxGetEnv("XDG_CONFIG_HOME", &base) || base.empty()) base = wxFileName::GetHomeDir() + "/.config";
    const wxString dir = base + "/Tolvane";
    wxFileName::Mkdir(dir, 0700, wxPATH_MKDIR_FULL);
    g_file = dir + "/Velmor.conf";
#endif
}

void FlushSettings() {
#ifdef __WXMSW__
    if (wxConfigBase* c = Store()) c->Flush();
#endif
}

std::uint32_t ReadSettingInt(const wxString& section, const wxString& key, std::uint32_t defaultValue) {
    const wxString text = ReadSettingString(section, key, wxString());
    if (text.empty()) return defaultValue;
    // Stored as the 32-bit pattern; accept the signed and the unsigned reading.
    long long v = 0;
    if (!text.ToLongLong(&v) || v < INT32_MIN || v > UINT32_MAX) return defaultValue;
    return static_cast<std::uint32_t>(v);
}

bool WriteSettingInt(const wxString& section, const wxString& key, std::uint32_t value) {
    return WithStore(true, [&](wxConfigBase* c) {
        return c != nullptr && c->Write(KeyPath(section, key), static_cast<long>(static_cast<std::int32_t>(value)));
    });
}

wxString ReadSettingString(const wxString& section, const wxString& key, const wxString& defaultValue) {
    return WithStore(false, [&](wxConfigBase* c) {
        wxString text;
        if (c == nullptr || !c->Read(KeyPath(section, key), &text)) return defaultValue;
        return text;
    });
}

bool WriteSettingString(const wxString& section, const wxString& key, const wxString& text) {
    return WithStore(true, [&](wxConfigBase* c) { return c != nullptr && c->Write(KeyPath(section, key), text); });
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
        else
            WithStore(true, [&](wxConfigBase* c) { return c != nullptr && c->DeleteEntry(KeyPath("Recent File List", key), false); });
    }
}
