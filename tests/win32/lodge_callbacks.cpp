// The in-process application tests run the host's windows with the lodge's own
// callbacks, handed to the host before any test runs, as the entry point does.
#include "app/win32_saver_app.h"

namespace {
const bool handed = (UseSaverCallbacks(LodgeSaverCallbacks()), true);
}  // namespace
