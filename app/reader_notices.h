// What a model reader asks to tell the user: message boxes where someone is there to
// close them, trace lines where a box would wait on an idle desktop.
#pragma once
#include "formats/read_result.h"

// Every notice of result in order. As boxes: the reader's own messages in a box with
// no owner window, a picture library's in an error box owned by the active window.
// Otherwise each becomes the trace line "caption: text".
void ReportReaderNotices(const ReadResult& result, bool asBoxes);
