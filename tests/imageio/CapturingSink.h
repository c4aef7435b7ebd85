// Installs a message sink that records what would have been shown, for the
// life of one test.
#pragma once

#include <string>
#include <vector>

#include "imageio/Messages.h"

class CapturingSink : public MessageSink {
public:
    CapturingSink() : previous_(SetMessageSink(this)) {}
    ~CapturingSink() override { SetMessageSink(previous_); }
    CapturingSink(const CapturingSink&) = delete;
    CapturingSink& operator=(const CapturingSink&) = delete;

    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;

private:
    MessageSink* previous_;
};
