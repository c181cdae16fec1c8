// Writes the settings tool's XML for the display mode (made from the settings table)
// to the file named by its one argument.
#include <cstdio>

#include "app/settings_options.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velmora_xml OUTPUT\n");
        return 2;
    }
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out) {
        std::perror(argv[1]);
        return 1;
    }
    const std::string xml = XScreenSaverSettingsXml();
    const bool written = std::fwrite(xml.data(), 1, xml.size(), out) == xml.size();
    return std::fclose(out) == 0 && written ? 0 : 1;
}
