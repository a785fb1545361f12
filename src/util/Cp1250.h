#pragma once
// Conversion between the Windows-1250 bytes used inside the program and UTF-8, for the user-interface boundary.
// Characters that the target cannot represent, and malformed input, become "?".
#include <string>

std::string Win1250ToUtf8(const std::string& text);
std::string Utf8ToWin1250(const std::string& text);
