// Padding, cutting, case, delimited text, tolerant number conversion, dates and SQL literals.
#include "util/Cp1250Literal.h"
#include "util/MyUtil.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace
{

// Windows-1250 case tables: index by byte, value is the other case (or the byte itself).
struct CaseTables {
    unsigned char upper[256];
    unsigned char lower[256];
    CaseTables()
    {
        for (int i = 0; i < 256; ++i)
            upper[i] = lower[i] = static_cast<unsigned char>(i);
        auto pair = [this](int lowerCase, int upperCase) {
            upper[lowerCase] = static_cast<unsigned char>(upperCase);
            lower[upperCase] = static_cast<unsigned char>(lowerCase);
        };
        for (int c = 'a'; c <= 'z'; ++c)
            pair(c, c - 0x20);
        // s-caron, s-acute, t-caron, z-caron, z-acute, l-stroke, a-ogonek, s-cedilla, l-caron, z-dot
        pair(0x9A, 0x8A);
        pair(0x9C, 0x8C);
        pair(0x9D, 0x8D);
        pair(0x9E, 0x8E);
        pair(0x9F, 0x8F);
        pair(0xB3, 0xA3);
        pair(0xB9, 0xA5);
        pair(0xBA, 0xAA);
        pair(0xBE, 0xBC);
        pair(0xBF, 0xAF);
        // The accented letters of the upper half, lower case 0xE0..0xFE over upper case 0xC0..0xDE; 0xF7 and 0xD7
        // are the division and multiplication signs.
        for (int c = 0xE0; c <= 0xFE; ++c)
            if (c != 0xF7)
                pair(c, c - 0x20);
    }
};

const CaseTables& Cases()
{
    static const CaseTables tables;
    return tables;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Strict conversion of "-?digits[.digits]" (at least one digit) as the standard conversion accepts it.
bool ParseFloat(const std::string& text, double& value)
{
    size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    size_t digits = 0;
    bool point = false;
    for (size_t j = i; j < text.size(); ++j) {
        if (IsDigit(text[j]))
            ++digits;
        else if (text[j] == '.' && !point)
            point = true;
        else
            return false;
    }
    if (digits == 0)
        return false;
    // from_chars does not depend on the locale, which the window system may change at start-up.
    const char* begin = text.data();
    auto [ptr, ec] = std::from_chars(begin, begin + text.size(), value);
    return ec == std::errc() && ptr == begin + text.size();
}

} // namespace

// ---- padding and cutting

std::string PadRight(const std::string& text, int width, const std::string& fill)
{
    if (width <= 0)
        return {};
    std::string result = text;
    for (int i = 0; i < width && result.size() < static_cast<size_t>(width); ++i)
        result += fill;
    return result.substr(0, width);
}

std::string PadLeft(const std::string& text, int width, const std::string& fill)
{
    if (width <= 0)
        return {};
    std::string padding;
    for (int i = 0; i < width && padding.size() + text.size() < static_cast<size_t>(width); ++i)
        padding += fill;
    std::string result = padding + text;
    return result.size() > static_cast<size_t>(width) ? result.substr(result.size() - width) : result;
}

std::string IntToStrPad(int64_t value, int width, const std::string& fill)
{
    return PadLeft(std::to_string(value), width, fill);
}

std::string TextBefore(const std::string& separator, const std::string& text)
{
    if (separator.empty())
        return text;
    const size_t pos = text.find(separator);
    return pos == std::string::npos ? text : text.substr(0, pos);
}

std::string TailFrom(const std::string& text, int position)
{
    if (position <= 1)
        return text;
    if (static_cast<size_t>(position) > text.size())
        return {};
    return text.substr(position - 1);
}

std::string DropLast(const std::string& text, int count)
{
    if (count <= 0)
        return text;
    if (static_cast<size_t>(count) >= text.size())
        return {};
    return text.substr(0, text.size() - count);
}

std::string Trim(const std::string& text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(begin, end - begin);
}

std::string TrimBlanksRight(const std::string& text)
{
    const auto end = text.find_last_not_of(' ');
    return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

std::string TrimBlanks(const std::string& text)
{
    const auto begin = text.find_first_not_of(' ');
    return begin == std::string::npos ? std::string() : TrimBlanksRight(text.substr(begin));
}

bool AllDigits(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

std::string UpperCase1250(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(Cases().upper[static_cast<unsigned char>(c)]);
    return result;
}

std::string LowerCase1250(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        c = static_cast<char>(Cases().lower[static_cast<unsigned char>(c)]);
    return result;
}

std::string UpperAscii(const std::string& text)
{
    std::string result = text;
    for (char& c : result)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 0x20);
    return result;
}

// ---- delimited text

std::string ListItem(const std::string& text, int n, const std::string& separator)
{
    if (separator.empty())
        return {};
    // Runs of separators count as one.
    std::string copy = text;
    const std::string doubled = separator + separator;
    for (size_t pos = copy.find(doubled); pos != std::string::npos; pos = copy.find(doubled, pos))
        copy.erase(pos, separator.size());
    copy += separator;
    std::string item;
    for (int i = 1; i <= n; ++i) {
        if (copy.empty()) {
            item.clear();
            break;
        }
        const size_t pos = copy.find(separator);
        item = copy.substr(0, pos);
        copy.erase(0, pos + separator.size());
    }
    return item;
}

std::string TabField(const std::string& line, int n)
{
    if (n < 1)
        return {};
    size_t begin = 0;
    for (int i = 1; i < n; ++i) {
        const size_t tab = line.find('\t', begin);
        if (tab == std::string::npos)
            return {};
        begin = tab + 1;
    }
    const size_t end = line.find('\t', begin);
    return line.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
}

int ListIndex(const std::string& value, const std::string& list, const std::string& separators)
{
    // Only an item followed by a separator is compared: the last item of a list without a closing separator is
    // never found. The stored lists always end with a separator.
    const std::string wanted = UpperCase1250(value);
    const std::string items = UpperCase1250(list);
    std::string current;
    int number = 1;
    for (char c : items) {
        if (separators.find(c) != std::string::npos) {
            if (current == wanted)
                return number;
            current.clear();
            ++number;
        } else {
            current += c;
        }
    }
    return 0;
}

namespace
{

// The rule shared by LookupLine and ComboIndexOf: in prefix mode a line matches when it starts with the key; in
// either mode it also matches when it ends with the key. Letter case counts.
bool LineMatches(const std::string& key, const std::string& line, bool prefixMode)
{
    if (line.size() < key.size())
        return false;
    if (prefixMode && line.compare(0, key.size(), key) == 0)
        return true;
    return line.compare(line.size() - key.size(), key.size(), key) == 0;
}

} // namespace

std::string LookupLine(const std::string& key, const std::vector<std::string>& lines, bool prefixMode)
{
    for (const std::string& line : lines) {
        if (!LineMatches(key, line, prefixMode))
            continue;
        if (prefixMode)
            return Trim(line.substr(key.size()));
        return Trim(line.substr(0, line.size() - key.size()));
    }
    return {};
}

int ComboIndexOf(const std::string& key, const std::vector<std::string>& items, bool prefixMode)
{
    for (size_t i = 0; i < items.size(); ++i)
        if (LineMatches(key, items[i], prefixMode))
            return static_cast<int>(i);
    return -1;
}

// ---- numbers and dates

int64_t LeadingInt(const std::string& text)
{
    const std::string trimmed = Trim(text);
    size_t length = 0;
    while (length < trimmed.size() && (IsDigit(trimmed[length]) || trimmed[length] == '-'))
        ++length;
    const std::string run = trimmed.substr(0, length);
    if (run.empty())
        return 0;
    int64_t value = 0;
    auto [ptr, ec] = std::from_chars(run.data(), run.data() + run.size(), value);
    if (ec != std::errc() || ptr != run.data() + run.size())
        throw ConversionError("\"" + run + "\" nie jest poprawną liczbą całkowitą"_cp);
    return value;
}

double TextToFloat(const std::string& text, double defaultValue)
{
    const std::string trimmed = Trim(text);
    if (trimmed.empty())
        return defaultValue;
    std::string kept;
    for (size_t i = 0; i < trimmed.size(); ++i) {
        const char c = trimmed[i];
        if (IsDigit(c) || c == '.' || c == ',' || (c == '-' && i == 0))
            kept += c;
    }
    // First with "," as the decimal mark (so "12,50" and "1 234,50" convert), then with ".".
    std::string attempt = kept;
    for (char& c : attempt)
        if (c == '.')
            c = ',';
    double value = 0;
    if (!ParseFloat(attempt, value))
        value = 0;
    if (value == 0 && !kept.empty()) {
        for (char& c : attempt)
            if (c == ',')
                c = '.';
        if (!ParseFloat(attempt, value))
            value = 0;
    }
    return value;
}

std::string DateText(const Date& date)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", date.year, date.month, date.day);
    return buf;
}

// ---- SQL literals

std::string SqlQuoteItem(const std::string& value, bool last)
{
    std::string result = "'";
    for (char c : value) {
        if (c == '\'')
            result += '\'';
        result += c;
    }
    result += '\'';
    if (!last)
        result += ',';
    return result;
}

std::string SqlQuote(const std::string& value)
{
    return SqlQuoteItem(value, true);
}

std::string SqlIntItem(int64_t value, bool last)
{
    return last ? std::to_string(value) : std::to_string(value) + ",";
}

std::string SqlInt(int64_t value)
{
    return SqlIntItem(value, true);
}

// ---- screen and library buffers

int LineHeightForFontSize(int points)
{
    switch (points) {
    case 6:
        return 11;
    case 7:
        return 13;
    case 8:
        return 15;
    case 9:
        return 16;
    case 10:
        return 17;
    case 11:
        return 18;
    case 12:
        return 19;
    case 13:
        return 22;
    case 14:
        return 23;
    default:
        return 0;
    }
}

bool ToCharBuffer(const std::string& text, char (&buffer)[256])
{
    std::fill(std::begin(buffer), std::end(buffer), '\0');
    if (text.size() >= sizeof buffer)
        return false;
    std::copy(text.begin(), text.end(), buffer);
    return true;
}
