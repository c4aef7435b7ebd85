// Where the image file services send the messages the user must see. The
// desktop program installs a sink that shows the standard message box; the
// command-line tool keeps the default, which writes the text to stderr.
// Texts are UTF-8; a first line names the failed operation and ends in "\n",
// the detail follows.
#pragma once

#include <string>

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& text) = 0;
};

// Installs the process-wide sink (not owned; null restores the default) and
// returns the previous one. Install it at start-up, before other threads run.
MessageSink* SetMessageSink(MessageSink* sink);

// Shows `text` through the current sink.
void ShowMessage(const std::string& text);

// The default: the text and a line break on stderr.
class StderrMessageSink : public MessageSink {
public:
    void ShowMessage(const std::string& text) override;
};
