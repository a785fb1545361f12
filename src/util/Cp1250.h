#pragma once
// Conversion between the Windows-1250 bytes used inside the program and UTF-8, for the user-interface boundary.
// Characters that the target cannot represent, and malformed input, become "?".
#include <string>
#include <string_view>

std::string Win1250ToUtf8(const std::string& text);
std::string Utf8ToWin1250(const std::string& text);
// True when the text holds at least one character beyond ASCII and all of it is well-formed UTF-8: a text in
// Windows-1250 with Polish letters never is (its letters are lone bytes above 127).
bool IsUtf8WithLetters(std::string_view text);
