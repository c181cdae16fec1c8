// The application's callbacks as the host was handed them: kept apart from the entry
// and the windows that call them, so neither calls back into the other.
#include "host/win32_host.h"

namespace {
SaverCallbacks handed = {};
}  // namespace

void UseSaverCallbacks(const SaverCallbacks& callbacks) { handed = callbacks; }

const SaverCallbacks& HandedCallbacks() { return handed; }
