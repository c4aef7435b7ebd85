// The per-user settings store: the registry key Software\Tolvane\Velmor on
// Windows, $XDG_CONFIG_HOME/Tolvane/Velmor.conf (default ~/.config) elsewhere.
// Sections: "" (the application key itself), "Settings", "Recent File List".
// A value that is absent, or an integer key that holds text, reads as the
// default; no failure is ever shown.
#pragma once

#include <cstdint>

#include <wx/string.h>

class wxFileHistory;

// Every read is fresh from the store and every write changes only its own
// key, at once and atomically (a temporary file renamed over the old one,
// under a lock), so two running copies keep each other's changes.
//
// Roots the store; call once at start-up before any other call. Tests point
// the store elsewhere by setting XDG_CONFIG_HOME first.
void InitSettingsStore();
// Writes what the platform's store may still hold back (nothing here).
void FlushSettings();

std::uint32_t ReadSettingInt(const wxString& section, const wxString& key, std::uint32_t defaultValue);
bool WriteSettingInt(const wxString& section, const wxString& key, std::uint32_t value);
wxString ReadSettingString(const wxString& section, const wxString& key, const wxString& defaultValue = {});
bool WriteSettingString(const wxString& section, const wxString& key, const wxString& text);

// The recent-file list as "Recent File List"/"File1".."File8", newest first.
void LoadRecentFiles(wxFileHistory& history);
void SaveRecentFiles(const wxFileHistory& history);

// Setting names.
inline constexpr const char* kSectionApp = "";
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr std::uint32_t kUseDefaultPosition = 0x80000000u;  // the system places the window
