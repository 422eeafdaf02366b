#pragma once

namespace quorvel {

// The panel's five naming schemes, in the order of their option buttons; the saved
// settings and the scenario runner know them by that position.
enum class Scheme {
    None = -1,
    NumberThenGeneric,   // 01_Vacances.jpg
    GenericThenNumber,   // _Vacances01.jpg
    NumberInParentheses, // _Vacances (01).jpg
    TimeStamp,           // 2007_01_15_143005.jpg
    NumberThenTimeStamp, // 01_2007_01_15_143005.jpg
};

constexpr int schemeCount = 5;

// The scheme of the option button at `index`, None outside the five.
constexpr Scheme schemeAt(int index) {
    return index >= 0 && index < schemeCount ? static_cast<Scheme>(index) : Scheme::None;
}

} // namespace quorvel
