#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// Natural, case-insensitive order (IMG_2 before IMG_10) on base letters (Été among the E's),
// ties broken by byte order. The
// rule lives in the key alone: two names compare as their keys do, and a large listing is
// sorted on precomputed keys, several times faster than comparing names one by one.
std::string naturalSortKey(std::string_view name);
void appendNaturalSortKey(std::string& key, std::string_view name);

bool naturalLess(std::string_view a, std::string_view b);

} // namespace quorvel
