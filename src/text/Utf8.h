#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// Character arithmetic on names counts UTF-8 code points, a stray byte counting as one
// character, so that no cut splits a character.
std::size_t utf8Length(std::string_view text);
// The first `count` characters (all of them when count is larger).
std::string utf8Left(std::string_view text, std::size_t count);
// The last `count` characters.
std::string utf8Right(std::string_view text, std::size_t count);

// The text whole when it has at most `limit` characters; otherwise its start and its end
// around "…", `limit` characters in all, so that a name keeps what tells it apart (its
// number and its type at the end).
std::string utf8ElideMiddle(std::string_view text, std::size_t limit);

// The same name but for letter case (ASCII and accented letters alike).
bool sameIgnoringCase(std::string_view a, std::string_view b);

} // namespace quorvel
