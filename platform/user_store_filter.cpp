#include "platform/user_store.h"

static UserValueWriteFilter writeFilter = nullptr;

UserValueWriteFilter SetUserValueWriteFilter(UserValueWriteFilter filter) {
    UserValueWriteFilter previous = writeFilter;
    writeFilter = filter;
    return previous;
}

bool UserValueWriteAllowed(const char* name) {
    return !writeFilter || writeFilter(name);
}
