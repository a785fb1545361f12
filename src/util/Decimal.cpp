#include "util/Decimal.h"

#include <algorithm>
#include <cstdlib>

namespace
{

int64_t PowerOfTen(int exponent)
{
    int64_t result = 1;
    for (int i = 0; i < exponent; ++i)
        result *= 10;
    return result;
}

} // namespace

double Decimal::ToDouble() const
{
    return static_cast<double>(unscaled) / static_cast<double>(PowerOfTen(scale));
}

std::string Decimal::ToString() const
{
    // Work on the magnitude as unsigned so that the smallest int64 value is printed correctly too.
    const bool negative = unscaled < 0;
    const uint64_t magnitude =
        negative ? uint64_t{0} - static_cast<uint64_t>(unscaled) : static_cast<uint64_t>(unscaled);
    const std::string digits = std::to_string(magnitude);
    const int width = std::max(static_cast<int>(digits.size()), scale + 1);
    std::string text;
    text.reserve(width + 2);
    if (negative)
        text.push_back('-');
    // Leading zeros so that at least one digit stands before the decimal point.
    for (int i = static_cast<int>(digits.size()); i < width; ++i)
        text.push_back('0');
    text += digits;
    if (scale > 0)
        text.insert(text.end() - scale, '.');
    return text;
}

Decimal Decimal::Rescaled(int newScale) const
{
    Decimal result{unscaled, newScale};
    if (newScale > scale) {
        if (__builtin_mul_overflow(unscaled, PowerOfTen(newScale - scale), &result.unscaled))
            result.unscaled = unscaled < 0 ? INT64_MIN : INT64_MAX;
    } else if (newScale < scale)
        result.unscaled = unscaled / PowerOfTen(scale - newScale); // integer division cuts toward zero
    return result;
}

bool Decimal::operator==(const Decimal& other) const
{
    // 128-bit arithmetic so that bringing both to the larger scale cannot overflow.
    __int128 a = unscaled;
    __int128 b = other.unscaled;
    for (int s = scale; s < other.scale; ++s)
        a *= 10;
    for (int s = other.scale; s < scale; ++s)
        b *= 10;
    return a == b;
}
