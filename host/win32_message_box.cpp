// A modal box with no owner window and an OK button.
#include <windows.h>

#include "host/message_box.h"

static MessageBoxSink currentSink = nullptr;

void ShowMessageBox(const char* text, const char* caption) {
    if (currentSink) {
        currentSink(text, caption);
        return;
    }
    MessageBoxA(nullptr, text, caption, MB_OK);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    MessageBoxSink previous = currentSink;
    currentSink = sink;
    return previous;
}
