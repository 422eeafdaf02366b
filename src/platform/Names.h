#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// Names are the file system's bytes. Character arithmetic counts UTF-8 code points, a
// stray byte counting as one character, so that no cut splits a character.
std::size_t utf8Length(std::string_view text);
// The first `count` characters (all of them when count is larger).
std::string utf8Left(std::string_view text, std::size_t count);
// The last `count` characters.
std::string utf8Right(std::string_view text, std::size_t count);

// Natural, case-insensitive order (IMG_2 before IMG_10), ties broken by byte order.
bool naturalLess(std::string_view a, std::string_view b);

// The same name but for letter case (ASCII and accented letters alike).
bool sameIgnoringCase(std::string_view a, std::string_view b);

// A key whose byte order is the order of naturalLess, ties aside: sorting a large listing
// by precomputed keys is several times faster than comparing the names with naturalLess.
std::string naturalSortKey(std::string_view name);
void appendNaturalSortKey(std::string& key, std::string_view name);

// Glob match with "*" and "?", letter case ignored for ASCII and accented letters.
// "*.*" matches every name.
// Every list filter goes through it, so the common "*.jpg" form takes a short cut.
bool matchesPattern(std::string_view name, std::string_view pattern);
// The general matcher behind matchesPattern, without the short cut.
bool globMatches(std::string_view name, std::string_view pattern);

// Folder + "/" + name, with no second "/" when the folder already ends in one.
std::string joinPath(std::string_view folder, std::string_view name);
// One trailing "/" dropped ("/" becomes "").
std::string dropTrailingSeparator(std::string_view path);
// Last component of a path ("/" for "/").
std::string lastComponent(std::string_view path);
// Folder one level up ("/" for "/a", "" for "/").
std::string parentFolder(std::string_view path);

} // namespace quorvel
