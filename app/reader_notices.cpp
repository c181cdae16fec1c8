#include "app/reader_notices.h"

#include "platform/message_box.h"
#include "platform/trace.h"

void ReportReaderNotices(const ReadResult& result, bool asBoxes) {
    for (const ReaderNotice& notice : result.notices) {
        if (!asBoxes)
            TraceF("%s: %s", notice.caption.c_str(), notice.text.c_str());
        else if (notice.kind == ReaderNotice::Kind::LibraryError)
            ShowErrorMessageBox(notice.text.c_str(), notice.caption.c_str());
        else
            ShowMessageBox(notice.text.c_str(), notice.caption.c_str());
    }
}
