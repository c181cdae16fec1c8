#include "host/host_state.h"

HostStateRecord HostState = {nullptr, nullptr, 0, 0, 0, 0, 0, 0, 0, {0, 0}, 4, kDefaultFrameRateLimit, true};
