// The settings record is filled while the program's static data is initialised, so
// every run mode starts with the defaults overlaid by the stored values.
#include "app/settings.h"

static const bool settingsLoadedAtStartup = (SetDefaults(), ReadFromRegistry(), true);
