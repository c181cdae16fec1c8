#include "host/host_state.h"

HostStateRecord HostState = {nullptr, nullptr, false, false, false, false, false, false, false, {0, 0}, 4, kDefaultFrameRateLimit, true};

void ToggleFrameRateText() {
    HostState.showFrameRate = !HostState.showFrameRate;
}
