#pragma once
// An exact fixed-point number, as the database's NUMERIC and DECIMAL columns hold it: value = unscaled / 10^scale.
#include <cstdint>
#include <string>

struct Decimal {
    int64_t unscaled = 0;
    int scale = 0; // number of decimal places, 0..18

    double ToDouble() const;
    // Plain text with "." as decimal point and exactly `scale` decimals: 12.3490, -0.50, 7.
    std::string ToString() const;
    // The same amount with another number of decimals; extra digits are cut toward zero. An amount too large for
    // the new scale is held at the largest (or smallest) unscaled value, never wrapped to another sign.
    Decimal Rescaled(int newScale) const;
    bool operator==(const Decimal& other) const; // equal amounts, whatever the scales
};
