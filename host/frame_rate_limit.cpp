#include "host/host_state.h"
#include "host/user_store.h"

void ReadFrameRateLimit() {
    HostState.frameRateLimit = kDefaultFrameRateLimit;
    UserStoreKey* key = OpenUserKeyForReading(kSettingsKeyPath);
    if (!key) return;
    uint32_t limit = 0;
    if (ReadUserValue(key, "FrameRateLimit", &limit)) HostState.frameRateLimit = limit;
    CloseUserKey(key);
}
