#pragma once
// The configuration file "KONFIG.txt" that the application leaves in the current directory before every call:
// "$" + register number, tab, "COM" + port + ":" + speed + ":STX0:1:E", tab, time-out in seconds, tab, "K10", tab,
// CR LF.
#include <string>

#include "winip/ResultCodes.h"

namespace winip
{

struct RegisterConfig {
    int number = 0;
    int port = 0;
    int speed = 0;
    int timeoutSeconds = 0;
};

// Time-out used when the time-out field is empty (the settings page allows an empty value).
inline constexpr int kDefaultTimeoutSeconds = 5;

// Parses the content of the configuration file; kOk or one of the configuration codes (14, 15, 16, 19).
Result ParseRegisterConfig(const std::string& content, RegisterConfig& config);

// Finds "KONFIG.txt" in `directory` whatever its letter case and parses it; a missing or unreadable file gives 13.
Result ReadRegisterConfig(const std::string& directory, RegisterConfig& config);

} // namespace winip
