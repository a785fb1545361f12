#include "winip/SimConfig.h"

#include <algorithm>
#include <array>

#include "winip/SimFiles.h"

namespace winip
{

namespace
{

// The configuration is one short line; anything much longer is not a configuration file.
constexpr std::size_t kConfigLimit = 4096;

constexpr std::array<int, 8> kSpeeds = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

// Value of a short run of digits; false for anything else (empty, signs, blanks, too many digits).
bool SmallNumber(const std::string& text, std::size_t maxDigits, int& value)
{
    if (!AllDigits(text) || text.size() > maxDigits)
        return false;
    value = std::stoi(text);
    return true;
}

// "COM" + port + ":" + speed + ":STX0:1:E"
bool ParsePort(const std::string& text, int& port, int& speed)
{
    const std::string prefix = "COM";
    const std::string protocol = ":STX0:1:E";
    if (text.size() < prefix.size() + protocol.size() || text.compare(0, prefix.size(), prefix) != 0 ||
        text.compare(text.size() - protocol.size(), protocol.size(), protocol) != 0)
        return false;
    const std::string middle = text.substr(prefix.size(), text.size() - prefix.size() - protocol.size());
    const std::size_t colon = middle.find(':');
    if (colon == std::string::npos)
        return false;
    if (!SmallNumber(middle.substr(0, colon), 3, port) || port < 1 || port > 255)
        return false;
    if (!SmallNumber(middle.substr(colon + 1), 6, speed))
        return false;
    return std::find(kSpeeds.begin(), kSpeeds.end(), speed) != kSpeeds.end();
}

} // namespace

Result ParseRegisterConfig(const std::string& content, RegisterConfig& config)
{
    if (content.find('\0') != std::string::npos)
        return kConfigFormat;
    const std::vector<std::string> lines = SplitLines(content);
    if (lines.empty() || lines.front().empty())
        return kConfigFormat;
    std::vector<std::string> fields = SplitTabs(lines.front());
    // The line ends with a tab, which leaves an empty last field; trailing empty fields carry nothing.
    while (fields.size() > 4 && fields.back().empty())
        fields.pop_back();
    if (fields.size() != 4)
        return kConfigFormat;

    const std::string& number = fields[0];
    if (number.size() < 2 || number[0] != '$' || !AllDigits(number.substr(1)))
        return kConfigFormat;
    // Long runs of digits are out of range, not malformed.
    const std::string digits = number.substr(1);
    const std::size_t firstNonZero = digits.find_first_not_of('0');
    const std::string significant = firstNonZero == std::string::npos ? "0" : digits.substr(firstNonZero);
    if (significant.size() > 2)
        return kRegisterNumber;
    config.number = std::stoi(significant);
    if (config.number < 1 || config.number > 99)
        return kRegisterNumber;

    if (!ParsePort(fields[1], config.port, config.speed))
        return kConfigPort;

    if (fields[2].empty())
        config.timeoutSeconds = kDefaultTimeoutSeconds;
    else if (!SmallNumber(fields[2], 3, config.timeoutSeconds))
        return kConfigTimeout;

    if (fields[3] != "K10")
        return kConfigTimeout;
    return kOk;
}

Result ReadRegisterConfig(const std::string& directory, RegisterConfig& config)
{
    const std::string name = FindCaseless(directory, "KONFIG.txt");
    if (name.empty())
        return kConfigMissing;
    std::string content;
    switch (ReadFileLimited(directory + "/" + name, kConfigLimit, content)) {
    case ReadStatus::CannotOpen:
        return kConfigMissing;
    case ReadStatus::TooLarge:
        return kConfigFormat;
    case ReadStatus::Ok:
        break;
    }
    return ParseRegisterConfig(content, config);
}

} // namespace winip
