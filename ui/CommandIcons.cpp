#include "ui/CommandIcons.h"

#include <string_view>

#include "res/EmbeddedIcons.h"

namespace {

std::optional<std::string_view> SvgText(int iconId) {
    for (const auto& icon : embedded_icons::kIcons) {
        if (icon.id == iconId) return icon.svg;
    }
    return std::nullopt;
}

wxBitmapBundle FromEmbeddedSvg(int iconId, int defaultSize) {
    const auto svg = SvgText(iconId);
    if (!svg) return {};
    return wxBitmapBundle::FromSVG(reinterpret_cast<const wxByte*>(svg->data()), svg->size(),
                                   wxSize(defaultSize, defaultSize));
}

}  // namespace

wxBitmapBundle CommandIcon(int iconId) {
    if (iconId == kAppIconId) return {};
    return FromEmbeddedSvg(iconId, 16);
}

wxIconBundle AppIconBundle() {
    wxIconBundle icons;
    const wxBitmapBundle bundle = FromEmbeddedSvg(kAppIconId, 256);
    if (!bundle.IsOk()) return icons;
    for (int size : {16, 24, 32, 48, 256}) {
        wxBitmap bitmap = bundle.GetBitmap(wxSize(size, size));
        // The bundle marks sizes other than its default as scaled copies;
        // each icon here is meant at its own pixel size.
        bitmap.SetScaleFactor(1.0);
        wxIcon icon;
        icon.CopyFromBitmap(bitmap);
        if (icon.IsOk()) icons.AddIcon(icon);
    }
    return icons;
}

std::optional<int> MenuIconFor(int commandId) {
    for (const auto& entry : MenuIcons) {
        if (entry.commandId == commandId) return entry.iconId;
    }
    return std::nullopt;
}
