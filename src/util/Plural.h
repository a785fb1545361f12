#pragma once
// Polish plural forms of a noun after a number: 1 pozycja, 2 (3, 4, 22, ...) pozycje, 5 (11 to 14, 25, ...) pozycji.
// One helper for every count the program shows, for std::string (Windows-1250) and QString alike.
#include <cstdint>

// The form the number takes: 0 singular, 1 "few", 2 "many".
constexpr int PolishPluralIndex(int64_t n)
{
    const int64_t v = n < 0 ? -n : n;
    if (v == 1)
        return 0;
    const int64_t lastTwo = v % 100;
    const int64_t last = v % 10;
    if (last >= 2 && last <= 4 && (lastTwo < 12 || lastTwo > 14))
        return 1;
    return 2;
}

// The noun's form after n: PolishPlural(5, one, few, many) is `many`.
template <class Text> const Text& PolishPlural(int64_t n, const Text& one, const Text& few, const Text& many)
{
    switch (PolishPluralIndex(n)) {
    case 0:
        return one;
    case 1:
        return few;
    default:
        return many;
    }
}
