#include "app/settings_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/settings.h"

namespace {

constexpr long kLargestFrameRate = 1000;

// The option's name without its leading dashes ("-xoff" and "--xoff" are one option).
const char* Bare(const char* argument) {
    if (argument[0] != '-') return nullptr;
    return argument + (argument[1] == '-' ? 2 : 1);
}

// A whole decimal number, nothing before or after it, within a long.
bool WholeNumber(const char* text, long* value) {
    if (!*text || std::strchr(" \t\n+", text[0])) return false;
    errno = 0;
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    *value = number;
    return true;
}

// An X window ID: decimal or 0x hexadecimal, not 0, within the 29 bits X gives them.
bool WindowId(const char* text, unsigned long* id) {
    if (!*text || !std::strchr("0123456789", text[0])) return false;
    errno = 0;
    char* end = nullptr;
    const bool hexadecimal = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const unsigned long long number = std::strtoull(text, &end, hexadecimal ? 16 : 10);
    if (errno != 0 || *end != '\0' || number == 0 || number > 0x1FFFFFFFull) return false;
    *id = static_cast<unsigned long>(number);
    return true;
}

std::string Quoted(const char* text) { return std::string("\"") + text + "\""; }

ParsedOptions Failure(std::string error) {
    ParsedOptions result;
    result.outcome = OptionOutcome::Error;
    result.error = "velmora: " + error;
    return result;
}

const SettingDescription* FindSetting(const char* name) {
    for (const SettingDescription& setting : kSettingDescriptions)
        if (std::strcmp(setting.name, name) == 0) return &setting;
    return nullptr;
}

// Text safe inside an XML attribute or element.
std::string XmlText(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

ParsedOptions ParseSaverOptions(int argc, const char* const* argv, const char* environmentWindow,
                                SaverSettings* settings) {
    ParsedOptions result;
    bool explicitWindowId = false;
    for (int i = 0; i < argc; ++i) {
        const char* argument = argv[i];
        const char* name = Bare(argument);
        if (!name || !*name) return Failure(Quoted(argument) + ": not an option (velmora --help lists them)");
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needs = [&](const char* what) { return Failure(std::string("-") + name + ": needs " + what); };

        if (std::strcmp(name, "help") == 0 || std::strcmp(name, "h") == 0) {
            result.outcome = OptionOutcome::Help;
            return result;
        }
        if (std::strcmp(name, "root") == 0) {
            if (!explicitWindowId) result.run.target = DrawTarget::Root;
            continue;
        }
        if (std::strcmp(name, "window") == 0) {
            if (!explicitWindowId) result.run.target = DrawTarget::OwnWindow;
            continue;
        }
        if (std::strcmp(name, "window-id") == 0) {
            if (!value) return needs("a window ID");
            if (!WindowId(value, &result.run.windowId))
                return Failure(std::string("-window-id: ") + Quoted(value) + " is not a window ID");
            result.run.target = DrawTarget::WindowId;
            explicitWindowId = true;
            ++i;
            continue;
        }
        if (std::strcmp(name, "display") == 0) {
            if (!value || !*value) return needs("a display name");
            result.run.display = value;
            ++i;
            continue;
        }
        if (std::strcmp(name, "model") == 0) {
            if (!value || !*value) return needs("a model FILE");
            settings->modelFile = value;
            ++i;
            continue;
        }
        if (std::strcmp(name, "fps") == 0) {
            result.run.showFrameRate = true;
            continue;
        }
        if (std::strcmp(name, "frame-rate") == 0) {
            if (!value) return needs("a number of frames a second");
            long rate = 0;
            if (!WholeNumber(value, &rate) || rate < 0 || rate > kLargestFrameRate)
                return Failure(std::string("-frame-rate: ") + Quoted(value) + " is not a whole number from 0 to " +
                               std::to_string(kLargestFrameRate));
            // The settings carry it as a stored limit would; the host caps by the run's.
            settings->frameRate = result.run.frameRate = {static_cast<uint32_t>(rate), false};
            ++i;
            continue;
        }
        // A switch: -blur and -no-blur, -lighting and -no-lighting.
        const bool negated = std::strncmp(name, "no-", 3) == 0;
        const SettingDescription* setting = FindSetting(negated ? name + 3 : name);
        if (setting && setting->control == SettingControl::CheckBox) {
            settings->*setting->field = negated ? 0 : 1;
            continue;
        }
        if (setting && !negated) {
            if (!value) return needs("a number");
            long number = 0;
            if (!WholeNumber(value, &number) || number < setting->minimum || number > setting->maximum)
                return Failure(std::string("-") + name + ": " + Quoted(value) + " is not a whole number from " +
                               std::to_string(setting->minimum) + " to " + std::to_string(setting->maximum));
            settings->*setting->field = static_cast<int32_t>(number);
            ++i;
            continue;
        }
        return Failure(Quoted(argument) + ": unknown option (velmora --help lists them)");
    }

    if (!explicitWindowId && environmentWindow) {
        if (!WindowId(environmentWindow, &result.run.windowId))
            return Failure(std::string("XSCREENSAVER_WINDOW: ") + Quoted(environmentWindow) + " is not a window ID");
        result.run.target = DrawTarget::WindowId;
    }
    result.run.stencil = settings->blur != 0;
    return result;
}

std::string SaverOptionsHelp() {
    std::string help =
        "Usage: velmora [OPTION]...\n"
        "Velmora Lodge: a textured log lodge drifting and turning, an XScreenSaver display mode.\n"
        "\n"
        "Where to draw:\n"
        "  -window            its own window (the default)\n"
        "  -root              the root window\n"
        "  -window-id ID      the window ID names (decimal or 0x hexadecimal); without it,\n"
        "                     the window $XSCREENSAVER_WINDOW names when that is set\n"
        "  -display NAME      the X display (default: $DISPLAY)\n"
        "\n"
        "Settings:\n";
    for (const SettingDescription& setting : kSettingDescriptions) {
        std::string line;
        if (setting.control == SettingControl::CheckBox) {
            line = std::string("  -") + setting.name + ", -no-" + setting.name;
            // A long pair of switches puts its description on the next line.
            if (line.size() > 19) line += "\n";
            line.resize(line.size() > 20 ? line.size() + 21 : 21, ' ');
            line += std::string(setting.label) + ", default " + (setting.defaultValue ? "on" : "off");
        } else {
            line = std::string("  -") + setting.name + " N";
            line.resize(21, ' ');
            line += std::string(setting.label) + ", " + std::to_string(setting.minimum) + " to " +
                    std::to_string(setting.maximum) + ", default " + std::to_string(setting.defaultValue);
        }
        help += line + "\n";
    }
    help +=
        "  -model FILE        your own model (3DS, MS3D, OBJ, glTF, STL, PLY); the built-in\n"
        "                     lodge when it cannot be used\n"
        "  -fps               the frame-rate text from the start (S or F4 toggles it in -window)\n"
        "\n"
        "Running:\n"
        "  -frame-rate N      frames a second at most, 0 to " + std::to_string(kLargestFrameRate) +
        " (0: no cap);\n"
        "                     default: the display's refresh rate, 60 where it is unknown\n"
        "  --help             this text\n"
        "\n"
        "Exit codes: 0 ended (SIGTERM, SIGINT, the window closed or gone), 1 cannot run\n"
        "(no display, no OpenGL visual, no such window) or the display went away,\n"
        "2 a bad option or value.\n";
    return help;
}

std::string XScreenSaverSettingsXml() {
    std::string xml =
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        "\n"
        "<screensaver name=\"velmora\" _label=\"Velmora Lodge\">\n"
        "\n"
        "  <command arg=\"-root\"/>\n"
        "\n";
    for (const SettingDescription& setting : kSettingDescriptions) {
        const std::string id = setting.name;
        const std::string label = XmlText(setting.label);
        if (setting.control == SettingControl::CheckBox) {
            // Off by default: checking it adds the switch; on by default: unchecking
            // adds its -no- form.
            xml += "  <boolean id=\"" + id + "\" _label=\"" + label + "\" " +
                   (setting.defaultValue ? "arg-unset=\"-no-" : "arg-set=\"-") + id + "\"/>\n";
        } else {
            xml += "  <number id=\"" + id + "\" type=\"slider\" arg=\"-" + id + " %\" _label=\"" + label +
                   "\" _low-label=\"" + std::to_string(setting.minimum) + "\" _high-label=\"" +
                   std::to_string(setting.maximum) + "\" low=\"" + std::to_string(setting.minimum) + "\" high=\"" +
                   std::to_string(setting.maximum) + "\" default=\"" + std::to_string(setting.defaultValue) +
                   "\"/>\n";
        }
    }
    xml +=
        "\n"
        "  <file id=\"model\" _label=\"Model\" arg=\"-model %\"/>\n"
        "  <boolean id=\"showfps\" _label=\"Show frame rate\" arg-set=\"-fps\"/>\n"
        "\n"
        "  <_description>\n"
        "A textured log lodge drifts across the screen and turns about its three axes, "
        "with optional lighting and a motion-blur trail. Choose a 3DS, MS3D, OBJ, glTF, STL "
        "or PLY model of your own to show instead; one that cannot be read is replaced by the lodge.\n"
        "  </_description>\n"
        "</screensaver>\n";
    return xml;
}
