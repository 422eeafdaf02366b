#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

// The numeric value of a text: the number it begins with, leading blanks skipped, 0
// when it begins with none, rounded to the nearest whole number with halves to even.
std::int64_t numericValue(const std::string& text);
// Whether a value fits the signed 16-bit numbers of the rename panel.
bool fitsInt16(std::int64_t value);

} // namespace quorvel
