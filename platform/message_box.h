// Message boxes of the application (the model readers' notices): on Windows a box
// with no owner window, the given caption and an OK button; elsewhere a line on
// standard error.
// Tests and command-line tools redirect them with SetMessageBoxSink.
#pragma once

using MessageBoxSink = void (*)(const char* text, const char* caption);

// Shows the box (or hands it to the sink in place) and returns when it is closed.
void ShowMessageBox(const char* text, const char* caption);
// The same for a library's error: an error icon, owned by the active window.
void ShowErrorMessageBox(const char* text, const char* caption);

// Replaces where boxes go; null restores the platform's own box. Returns the
// previous sink (null when the platform's box was in use).
MessageBoxSink SetMessageBoxSink(MessageBoxSink sink);
