#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// The character-level rules that UTF-8 lengths, natural order and patterns share. Names
// are the file system's bytes: a stray byte counts as one character of its own.

// Length of the UTF-8 sequence that starts at text[i], 1 for a stray byte.
std::size_t sequenceLength(std::string_view text, std::size_t i);

// Decodes the character at text[i] and gives its length; a stray byte decodes to a value
// no real letter has.
char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length);

// Lower case for ASCII, Latin-1, Latin Extended-A and Greek/Cyrillic basics: the letters
// that show up in photograph names.
char32_t foldCase(char32_t c);

// Appends what c sorts as: its base letter for the accented Latin letters ("É" as "e", "Œ"
// as "oe"), else c with its case folded.
void appendBaseLetters(std::string& key, char32_t c);

// Appends c in UTF-8, which keeps the order of code points.
void appendEncoded(std::string& out, char32_t c);

} // namespace quorvel
