// The bold 14-point font of the view's empty-state prompt, made once.
#pragma once

#include <wx/font.h>

const wxFont& PromptFont();
