#include "app/reader_notices.h"

#include "host/message_box.h"

void ShowReaderNotices(const ReadResult& result) {
    for (const ReaderNotice& notice : result.notices) {
        if (notice.kind == ReaderNotice::Kind::LibraryError)
            ShowErrorMessageBox(notice.text.c_str(), notice.caption.c_str());
        else
            ShowMessageBox(notice.text.c_str(), notice.caption.c_str());
    }
}
