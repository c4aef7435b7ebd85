// The standard message box: the text, an OK button, the warning icon and the
// application's title as caption. Also the sink through which the image file
// services show their messages in the desktop program.
#pragma once

#include <string>

#include <wx/string.h>

#include "imageio/Messages.h"

void ShowUserMessage(const wxString& text);

class CMessageBoxSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override { ShowUserMessage(wxString::FromUTF8(text)); }
};

// Tests replace the message box: every message then goes to `hook` instead.
using MessageHook = void (*)(const wxString& text);
void SetUserMessageHook(MessageHook hook);
