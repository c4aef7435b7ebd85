#include "app/PromptFont.h"

const wxFont& PromptFont() {
    static const wxFont font(wxFontInfo(14).Bold().Family(wxFONTFAMILY_SWISS).AntiAliased());
    return font;
}
