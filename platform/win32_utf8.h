// UTF-8 text, as the portable code keeps names and paths, to and from the UTF-16 of
// the Windows wide calls, so any file name works whatever the system's code page.
#pragma once
#include <string>

// Invalid sequences become U+FFFD; an empty text stays empty.
std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);
