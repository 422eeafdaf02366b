#include "text/Characters.h"

namespace quorvel {

std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || i + length > text.size())
        return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    length = sequenceLength(text, i);
    const auto lead = static_cast<unsigned char>(text[i]);
    if (length == 1)
        return lead < 0x80 ? lead : 0xDC00 + lead; // never equal to a real letter
    char32_t c = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return c;
}

char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x178)
            return 0xFF;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

namespace {

// The base letter of each character from U+00C0 to U+017F once its case is folded: "É" sorts
// as "e", so that "Été" stands among the E's as a French reader expects. "_" keeps the
// character itself; "1" to "4" stand for the two-letter bases "ae", "oe", "ss" and "ij".
constexpr std::string_view latinBases = "aaaaaa1ceeeeiiiidnooooo_ouuuuy_3"
                                        "aaaaaa1ceeeeiiiidnooooo_ouuuuy_y"
                                        "aaaaaaccccccccddddeeeeeeeeeegggg"
                                        "gggghhhhiiiiiiiiii44jjkk_lllllll"
                                        "lllnnnnnn___oooooo22rrrrrrssssss"
                                        "ssttttttuuuuuuuuuuuuwwyyyzzzzzzs";

} // namespace

void appendEncoded(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void appendBaseLetters(std::string& key, char32_t c) {
    if (c >= 0xC0 && c < 0xC0 + latinBases.size()) {
        const char base = latinBases[c - 0xC0];
        if (base >= '1' && base <= '4') {
            constexpr std::string_view pairs[] = {"ae", "oe", "ss", "ij"};
            key += pairs[base - '1'];
            return;
        }
        if (base != '_') {
            key += base;
            return;
        }
    }
    appendEncoded(key, foldCase(c));
}

} // namespace quorvel
