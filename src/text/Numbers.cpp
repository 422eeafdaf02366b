#include "text/Numbers.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace quorvel {

std::int64_t numericValue(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    // The number the text begins with: sign, digits, fraction, exponent.
    std::size_t end = i;
    if (end < text.size() && (text[end] == '+' || text[end] == '-'))
        ++end;
    const std::size_t digitsStart = end;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    std::size_t mantissaDigits = end - digitsStart;
    if (end < text.size() && text[end] == '.') {
        std::size_t fraction = end + 1;
        while (fraction < text.size() && text[fraction] >= '0' && text[fraction] <= '9')
            ++fraction;
        mantissaDigits += fraction - end - 1;
        end = fraction;
    }
    if (mantissaDigits == 0)
        return 0;
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-'))
            ++exponent;
        const std::size_t exponentDigits = exponent;
        while (exponent < text.size() && text[exponent] >= '0' && text[exponent] <= '9')
            ++exponent;
        if (exponent > exponentDigits)
            end = exponent;
    }
    const std::string number = text.substr(i, end - i);
    const double value = std::strtod(number.c_str(), nullptr);
    // Far outside any range the window uses; held clamped so that it stays out of range.
    constexpr double limit = 1e15;
    if (!(value > -limit))
        return -static_cast<std::int64_t>(limit);
    if (!(value < limit))
        return static_cast<std::int64_t>(limit);
    return static_cast<std::int64_t>(std::nearbyint(value));
}

bool fitsInt16(std::int64_t value) {
    return value >= std::numeric_limits<std::int16_t>::min() &&
           value <= std::numeric_limits<std::int16_t>::max();
}

} // namespace quorvel
