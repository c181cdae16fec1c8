// What reading a model or picture file came to. Readers never show anything
// themselves: what went wrong is named here, and what the user should be told comes
// back as notices (a box's caption and text) for the application to show, trace or
// print, each where it fits.
#pragma once
#include <string>
#include <utility>
#include <vector>

enum class ReadFailure {
    None,
    CannotOpen,     // the file does not open or cannot be read
    NotThisFormat,  // the bytes are not a file of the reader's format
    Truncated,      // the file ends before what it announces
    TooLarge,       // counts or sizes beyond what is taken
    Unsupported,    // a valid file of a kind this reader does not draw
};

// A short text for a failure: "cannot be opened", "not this format", ...
const char* ReadFailureText(ReadFailure failure);

struct ReaderNotice {
    enum class Kind {
        Message,       // the reader's own message: a box with no owner window
        LibraryError,  // a decoding library's message: an error box owned by the active window
    };
    Kind kind;
    std::string caption;
    std::string text;
};

struct ReadResult {
    ReadFailure failure = ReadFailure::None;
    // What exactly, where the kind alone does not say it ("requires Draco
    // compression"); empty otherwise.
    std::string detail;
    std::vector<ReaderNotice> notices;  // in the order they arose

    explicit operator bool() const { return failure == ReadFailure::None; }
    ReadResult& fail(ReadFailure why, std::string what = std::string()) {
        failure = why;
        detail = std::move(what);
        return *this;
    }
    void notify(ReaderNotice::Kind kind, std::string caption, std::string text) {
        notices.push_back({kind, std::move(caption), std::move(text)});
    }
    // Takes over the notices of a part of the reading (a texture's picture, say).
    void adopt(ReadResult&& part) {
        for (ReaderNotice& notice : part.notices) notices.push_back(std::move(notice));
    }
};
