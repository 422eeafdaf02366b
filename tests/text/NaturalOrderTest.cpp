#include "text/NaturalOrder.h"

#include "text/Characters.h"
#include "text/Patterns.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {
namespace {

// Names built from pieces where the orders of case folding, digit runs, leading zeros,
// multi-byte letters and stray bytes meet.
std::string randomName(std::mt19937& random) {
    static const std::vector<std::string> pieces = {
        "a",   "A",   "b", "Z", "_", ".", "-",    " ",    "0",    "00", "1", "2",   "9",  "10",
        "007", "123", "é", "É", "è", "ÿ", "Ÿ",    "ß",    "Ā",    "ā",  "Ł", "ł",   "Ž",  "ž",
        "Ω",   "ω",   "Ж", "ж", "Ё", "ё", "\xC3", "\xFF", "\x80", "€",  "𝄞", "jpg", "JPG"};
    std::uniform_int_distribution<std::size_t> length(0, 6);
    std::uniform_int_distribution<std::size_t> piece(0, pieces.size() - 1);
    std::string name;
    for (std::size_t n = length(random); n > 0; --n)
        name += pieces[piece(random)];
    return name;
}

bool isDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

// Each character as it sorts: digits and stray bytes as they are, letters by their base.
std::string baseLetters(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        std::size_t length = 0;
        const char32_t c = decodeAt(name, i, length);
        if (length == 1)
            out += name[i];
        else
            appendBaseLetters(out, c);
        i += length;
    }
    return out;
}

// The order written out character by character, independently of the key: runs of digits
// by value, everything else by its base letters folded, the shorter name first, ties by bytes.
bool referenceLess(std::string_view originalA, std::string_view originalB) {
    const std::string a = baseLetters(originalA);
    const std::string b = baseLetters(originalB);
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t la = 0;
        std::size_t lb = 0;
        const char32_t ca = decodeAt(a, i, la);
        const char32_t cb = decodeAt(b, j, lb);
        if (isDigit(ca) && isDigit(cb)) {
            auto run = [](std::string_view s, std::size_t& at) {
                std::size_t end = at;
                while (end < s.size() && isDigit(static_cast<unsigned char>(s[end])))
                    ++end;
                while (at + 1 < end && s[at] == '0')
                    ++at;
                const std::string_view digits = s.substr(at, end - at);
                at = end;
                return digits;
            };
            const std::string_view da = run(a, i);
            const std::string_view db = run(b, j);
            if (da.size() != db.size())
                return da.size() < db.size();
            if (da != db)
                return da < db;
            continue;
        }
        if (foldCase(ca) != foldCase(cb))
            return foldCase(ca) < foldCase(cb);
        i += la;
        j += lb;
    }
    const bool aDone = i >= a.size();
    const bool bDone = j >= b.size();
    if (aDone != bDone)
        return aDone;
    return originalA < originalB;
}

TEST(NaturalOrder, AgreesWithTheCharacterByCharacterRule) {
    std::mt19937 random(20240601);
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i)
        names.push_back(randomName(random));
    for (const std::string& a : names) {
        for (const std::string& b : names)
            ASSERT_EQ(naturalLess(a, b), referenceLess(a, b)) << '"' << a << "\" \"" << b << '"';
    }
}

std::string encoded(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Every letter whose case folds, with its neighbours, against every other.
TEST(NaturalOrder, EveryFoldedLetterOrdersAsTheCharacterRule) {
    std::vector<std::string> names;
    for (char32_t c = 1; c < 0x180; ++c)
        names.push_back(encoded(c) + "x");
    for (char32_t c = 0x380; c < 0x460; ++c)
        names.push_back(encoded(c));
    for (const std::string& a : names) {
        for (const std::string& b : names)
            ASSERT_EQ(naturalLess(a, b), referenceLess(a, b)) << '"' << a << "\" \"" << b << '"';
    }
}

TEST(NaturalOrder, KnownOrders) {
    EXPECT_TRUE(naturalLess("IMG_2", "IMG_10"));
    EXPECT_TRUE(naturalLess("img_9", "IMG_10"));
    EXPECT_TRUE(naturalLess("IMG_01", "IMG_1")); // equal value, byte order decides
    EXPECT_TRUE(naturalLess("a", "a1"));
    EXPECT_TRUE(naturalLess("1", "a"));
    EXPECT_TRUE(naturalLess(" 1", "1"));
    EXPECT_TRUE(naturalLess("99999999999999999999", "100000000000000000000"));
}

// Accented letters stand with their base letter whatever their case, as a French reader
// looks for them; the same letters but for accents and case keep the byte order.
TEST(NaturalOrder, AccentedLettersSortAmongTheirBaseLetter) {
    const std::vector<std::string> expected = {"Eau",   "Étang", "Été 2",  "été 10", "Etz",
                                               "Noël",  "Noz",   "Oeil",   "Œuvre",  "œuvre",
                                               "Ofnis", "Stras", "Straße", "Zèbre",  "zoo"};
    std::vector<std::string> names(expected.rbegin(), expected.rend());
    std::sort(names.begin(), names.end(),
              [](const auto& a, const auto& b) { return naturalLess(a, b); });
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(naturalLess("Ete", "ete"));
    EXPECT_TRUE(naturalLess("ete", "Été"));
    EXPECT_TRUE(naturalLess("Été", "été"));
}

// The fast path for "*.ext" must agree with the general matcher everywhere.
TEST(MatchesPattern, ShortCutAgreesWithGeneralMatcher) {
    std::mt19937 random(7);
    const std::vector<std::string> patterns = {"*.jpg", "*.JPG", "*1",    "*_", "*a.",  "*",
                                               "*.*",   "*é",    "?.jpg", "a*", "*.j?g"};
    for (int i = 0; i < 5000; ++i) {
        const std::string name = randomName(random) + (i % 2 ? ".jpg" : "");
        for (const std::string& pattern : patterns)
            ASSERT_EQ(matchesPattern(name, pattern), globMatches(name, pattern))
                << '"' << name << "\" " << pattern;
    }
}

} // namespace
} // namespace quorvel
