// The display mode's command line, made from the settings table: one option per
// setting with the dialog's range and default, the model file, the frame-rate text
// and cap, and where to draw. Also the settings tool's description of the same
// options (the XML the XScreenSaver settings tool builds its panel from).
#pragma once
#include <string>

#include "host/x11_host.h"

struct SaverSettings;

enum class OptionOutcome {
    Run,    // draw with the parsed settings
    Help,   // --help: print SaverOptionsHelp and end
    Error,  // `error` says which option and why; exit kExitBadOption
};

struct ParsedOptions {
    OptionOutcome outcome = OptionOutcome::Run;
    std::string error;  // one line, naming the option (or variable) and the value
    X11RunOptions run;
};

// Parses `argc` arguments (the program's name excluded) into `settings` (which holds
// the defaults) and the run's options: the frame-rate text switch, the frame-rate cap
// and where to draw. Options take one or two leading dashes. `environmentWindow` is the value of
// $XSCREENSAVER_WINDOW (null when unset): the daemon's window is drawn in unless
// -window-id names another.
ParsedOptions ParseSaverOptions(int argc, const char* const* argv, const char* environmentWindow,
                                SaverSettings* settings);

// The --help text: every option, its range and default, and the exit codes.
std::string SaverOptionsHelp();

// The settings tool's XML for the display mode: a slider per trackbar setting and a
// check box per switch with the dialog's labels and ranges, a file chooser for the
// model, the frame-rate text switch and the description.
std::string XScreenSaverSettingsXml();
