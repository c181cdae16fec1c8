// The display mode's entry point: the command line over the settings' defaults, then
// the host runs the lodge's callbacks.
#include <cstdio>
#include <cstdlib>

#include "app/background_job.h"
#include "app/settings.h"
#include "app/settings_options.h"
#include "app/x11_saver_app.h"

int main(int argc, char** argv) {
    SetDefaults();
    const ParsedOptions parsed =
        ParseSaverOptions(argc - 1, argv + 1, std::getenv("XSCREENSAVER_WINDOW"), &Settings);
    switch (parsed.outcome) {
        case OptionOutcome::Help:
            std::fputs(SaverOptionsHelp().c_str(), stdout);
            return kExitEnded;
        case OptionOutcome::Error:
            std::fprintf(stderr, "%s\n", parsed.error.c_str());
            return kExitBadOption;
        case OptionOutcome::Run: break;
    }
    const int code = RunX11Saver(parsed.run, LodgeX11SaverCallbacks());
    // A model still being read when the run ended: end at once, without the exit
    // handlers that its thread could still meet (the private folder is already gone).
    if (AnyBackgroundJobAbandoned()) std::_Exit(code);
    return code;
}
