#pragma once

#include <optional>
#include <string_view>

namespace quorvel {

// The one check of a name before it reaches the disk as one path component: not empty,
// not "." or "..", no "/", no NUL, at most 255 bytes, and no leading "." (the lists hide
// such names, so the file would vanish from the program). Characters that Linux allows
// ("*", "?", "\", a line break, bytes that are not UTF-8) pass: they may have come with an
// existing name. nullptr when the name may go; otherwise the user's French text.
const char* nameProblem(std::string_view name);

// What the user types for a name (a generic name, a prefix, a type) also holds no "*" or
// "?", which the lists would read as a pattern: the first character it may not hold.
std::optional<char> forbiddenTypedCharacter(std::string_view text);

// The refusal of a typed text that holds "*" or "?", nullptr when it holds neither.
const char* typedCharacterProblem(std::string_view text);

// A text typed to go in front of names: none of the characters above.
const char* typedPrefixProblem(std::string_view text);

// A type typed to go at the end of names, where "*" may stand for every type in a filter:
// only what would split the name, "/" and NUL, is refused.
const char* typedTypeProblem(std::string_view text);

// A type as the user may type it, with the dot that separates it from the name (".HEIC"):
// the type without its leading dots ("HEIC"), since the name already gets one.
std::string_view typedType(std::string_view text);

// A whole name typed by the user (a folder's): nameProblem, then the typed characters.
const char* typedNameProblem(std::string_view name);

} // namespace quorvel
