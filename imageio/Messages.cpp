#include "imageio/Messages.h"

#include <atomic>
#include <cstdio>

namespace {

StderrMessageSink g_default;
std::atomic<MessageSink*> g_sink{&g_default};

}  // namespace

void StderrMessageSink::ShowMessage(const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), stderr);
    if (text.empty() || text.back() != '\n') std::fputc('\n', stderr);
    std::fflush(stderr);
}

MessageSink* SetMessageSink(MessageSink* sink) {
    MessageSink* previous = g_sink.exchange(sink != nullptr ? sink : &g_default);
    return previous == &g_default ? nullptr : previous;
}

void ShowMessage(const std::string& text) { g_sink.load()->ShowMessage(text); }
