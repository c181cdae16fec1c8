// What a model reader asks to tell the user, shown as message boxes.
#pragma once
#include "formats/read_result.h"

// Shows every notice of result in order: the reader's own messages in a box with no
// owner window, a picture library's in an error box owned by the active window.
void ShowReaderNotices(const ReadResult& result);
