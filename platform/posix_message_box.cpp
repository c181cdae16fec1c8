// Off Windows a message box is one line on standard error: "caption: text".
#include <cstdio>

#include "platform/message_box.h"

static MessageBoxSink currentSink = nullptr;

void ShowMessageBox(const char* text, const char* caption) {
    if (currentSink) {
        currentSink(text, caption);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
}

void ShowErrorMessageBox(const char* text, const char* caption) {
    ShowMessageBox(text, caption);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    MessageBoxSink previous = currentSink;
    currentSink = sink;
    return previous;
}
