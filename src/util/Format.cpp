// Number pictures such as "0.00" or "## ##0.00". "#" is an optional digit, "0" a required digit, "." the decimal
// point; any other character in the integer part (the blank that groups thousands) is written only where a digit
// stands to its left. Values are rounded to the picture's decimals, halves away from zero.
#include "util/MyUtil.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace
{

struct Picture {
    std::string integerPart; // placeholders and literals before the decimal point
    int requiredIntegerDigits = 0;
    int maxDecimals = 0;
    int minDecimals = 0;
};

Picture ParsePicture(const std::string& picture)
{
    Picture p;
    const size_t point = picture.find('.');
    p.integerPart = picture.substr(0, point);
    const size_t firstZero = p.integerPart.find('0');
    if (firstZero != std::string::npos)
        for (size_t i = firstZero; i < p.integerPart.size(); ++i)
            if (p.integerPart[i] == '0' || p.integerPart[i] == '#')
                ++p.requiredIntegerDigits;
    if (point != std::string::npos) {
        for (char c : picture.substr(point + 1)) {
            if (c == '0' || c == '#')
                ++p.maxDecimals;
            if (c == '0')
                p.minDecimals = p.maxDecimals;
        }
    }
    return p;
}

// Formats the magnitude digits * 10^-scale (digits: decimal digits, any leading zeros) by the picture.
std::string FormatDigits(bool negative, std::string digits, int scale, const std::string& pictureText)
{
    const Picture picture = ParsePicture(pictureText);
    if (scale < 0) {
        digits.append(-scale, '0');
        scale = 0;
    }
    if (static_cast<int>(digits.size()) <= scale)
        digits.insert(0, scale + 1 - digits.size(), '0');
    // Round to maxDecimals: the first dropped digit decides, which rounds halves away from zero.
    if (scale > picture.maxDecimals) {
        const size_t keep = digits.size() - (scale - picture.maxDecimals);
        const bool up = digits[keep] >= '5';
        digits.resize(keep);
        scale = picture.maxDecimals;
        if (up) {
            int i = static_cast<int>(digits.size()) - 1;
            while (i >= 0 && digits[i] == '9')
                digits[i--] = '0';
            if (i >= 0)
                ++digits[i];
            else
                digits.insert(0, "1");
        }
    }
    std::string integerDigits = digits.substr(0, digits.size() - scale);
    std::string fraction = digits.substr(digits.size() - scale);
    fraction.append(picture.maxDecimals - scale, '0');
    while (static_cast<int>(fraction.size()) > picture.minDecimals && fraction.back() == '0')
        fraction.pop_back();

    const size_t firstNonZero = integerDigits.find_first_not_of('0');
    integerDigits = firstNonZero == std::string::npos ? "" : integerDigits.substr(firstNonZero);
    if (static_cast<int>(integerDigits.size()) < picture.requiredIntegerDigits)
        integerDigits.insert(0, picture.requiredIntegerDigits - integerDigits.size(), '0');

    // Lay the digits onto the placeholders from the right; digits beyond the placeholders go in front.
    std::string integerText;
    int digitIndex = static_cast<int>(integerDigits.size()) - 1;
    for (int i = static_cast<int>(picture.integerPart.size()) - 1; i >= 0; --i) {
        const char c = picture.integerPart[i];
        if (c == '0' || c == '#') {
            if (digitIndex >= 0)
                integerText.insert(integerText.begin(), integerDigits[digitIndex--]);
        } else if (digitIndex >= 0) {
            integerText.insert(integerText.begin(), c);
        }
    }
    if (digitIndex >= 0)
        integerText.insert(0, integerDigits.substr(0, digitIndex + 1));

    const bool isZero =
        integerText.find_first_not_of('0') == std::string::npos && fraction.find_first_not_of('0') == std::string::npos;
    std::string result = (negative && !isZero) ? "-" : "";
    result += integerText;
    if (!fraction.empty())
        result += "." + fraction;
    return result;
}

} // namespace

std::string FormatFloat(const std::string& picture, double value)
{
    if (std::isnan(value))
        return "NAN";
    if (std::isinf(value))
        return value < 0 ? "-INF" : "INF";
    // Fifteen significant digits, as the platform's float-to-text conversion takes them: 1.005 is 1.00500000000000
    // and rounds to 1.01 although its binary value lies just below.
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 14);
    if (ec != std::errc())
        return {};
    const std::string text(buf, end);
    const size_t e = text.find('e');
    std::string digits;
    for (size_t i = 0; i < e; ++i)
        if (text[i] >= '0' && text[i] <= '9')
            digits += text[i];
    const int exponent = std::atoi(text.c_str() + e + 1);
    return FormatDigits(value < 0, digits, 14 - exponent, picture);
}

std::string FormatFloat(const std::string& picture, const Decimal& value)
{
    const bool negative = value.unscaled < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(value.unscaled) : static_cast<uint64_t>(value.unscaled);
    return FormatDigits(negative, std::to_string(magnitude), value.scale, picture);
}
