#include "ui/PrintSettings.h"

#include <cstdint>

#include <wx/cmndata.h>

#include "ui/SettingsStore.h"

namespace {

constexpr const char* kPaperKey = "PrintPaper";
constexpr const char* kOrientationKey = "PrintOrientation";
constexpr std::uint32_t kUnset = 0;

bool IsPaperNumber(std::uint32_t v) {
    return v > static_cast<std::uint32_t>(wxPAPER_NONE) && v <= static_cast<std::uint32_t>(wxPAPER_A1);
}

}  // namespace

void LoadPrintSettings(wxPrintData& data) {
    const std::uint32_t paper = ReadSettingInt(kSectionSettings, kPaperKey, kUnset);
    if (IsPaperNumber(paper)) data.SetPaperId(static_cast<wxPaperSize>(paper));
    const std::uint32_t orientation = ReadSettingInt(kSectionSettings, kOrientationKey, kUnset);
    if (orientation == static_cast<std::uint32_t>(wxPORTRAIT) || orientation == static_cast<std::uint32_t>(wxLANDSCAPE))
        data.SetOrientation(static_cast<wxPrintOrientation>(orientation));
}

void SavePrintSettings(const wxPrintData& data) {
    const auto paper = static_cast<std::uint32_t>(data.GetPaperId());
    if (IsPaperNumber(paper)) WriteSettingInt(kSectionSettings, kPaperKey, paper);
    WriteSettingInt(kSectionSettings, kOrientationKey, static_cast<std::uint32_t>(data.GetOrientation()));
}

bool PaperOrOrientationDiffer(const wxPrintData& a, const wxPrintData& b) {
    return a.GetPaperId() != b.GetPaperId() || a.GetOrientation() != b.GetOrientation();
}
