// Modal boxes with an OK button: the readers' own with no owner window, a
// library's error with an error icon over the active window.
#include <windows.h>

#include "platform/message_box.h"

static MessageBoxSink currentSink = nullptr;

void ShowMessageBox(const char* text, const char* caption) {
    if (currentSink) {
        currentSink(text, caption);
        return;
    }
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void ShowErrorMessageBox(const char* text, const char* caption) {
    if (currentSink) {
        currentSink(text, caption);
        return;
    }
    MessageBoxA(GetActiveWindow(), text, caption, MB_OK | MB_ICONERROR);
}

MessageBoxSink SetMessageBoxSink(MessageBoxSink sink) {
    MessageBoxSink previous = currentSink;
    currentSink = sink;
    return previous;
}
