#include "host/host_state.h"

HostStateRecord HostState = {};

FrameRequest CurrentFrameRequest() {
    FrameRequest request;
    request.paused = HostState.monitorPoweredDown || HostState.passwordDialogOpen;
    request.showFrameRate = HostState.showFrameRate;
    return request;
}

void ToggleFrameRateText() {
    HostState.showFrameRate = !HostState.showFrameRate;
}
