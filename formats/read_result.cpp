#include "formats/read_result.h"

const char* ReadFailureText(ReadFailure failure) {
    switch (failure) {
        case ReadFailure::None: return "read";
        case ReadFailure::CannotOpen: return "cannot be opened";
        case ReadFailure::NotThisFormat: return "not this format";
        case ReadFailure::Truncated: return "the file ends early";
        case ReadFailure::TooLarge: return "too large";
        case ReadFailure::Unsupported: return "unsupported";
    }
    return "unknown";
}
