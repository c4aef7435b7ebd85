// The standard message box: the text, an OK button, the warning icon and the
// application's title as caption.
#pragma once

#include <wx/string.h>

void ShowUserMessage(const wxString& text);

// Tests replace the message box: every message then goes to `hook` instead.
using MessageHook = void (*)(const wxString& text);
void SetUserMessageHook(MessageHook hook);
