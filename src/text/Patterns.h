#pragma once

#include <string_view>

namespace quorvel {

// Glob match with "*" and "?", letter case ignored for ASCII and accented letters.
// "*.*" matches every name.
// Every list filter goes through it, so the common "*.jpg" form takes a short cut.
bool matchesPattern(std::string_view name, std::string_view pattern);
// The general matcher behind matchesPattern, without the short cut.
bool globMatches(std::string_view name, std::string_view pattern);

} // namespace quorvel
