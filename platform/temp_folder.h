// The platform's temporary folder, for when "TEMP" is not set.
#pragma once

// Writes the folder without a trailing separator into `buffer`; returns `buffer`.
// An empty string when the platform has none that fits.
const char* PlatformTemporaryFolder(char* buffer, int size);
