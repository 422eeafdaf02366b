#include "platform/Names.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
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

bool keyLess(const std::string& a, const std::string& b) {
    const std::string ka = naturalSortKey(a);
    const std::string kb = naturalSortKey(b);
    return ka != kb ? ka < kb : a < b;
}

TEST(NaturalSortKey, OrdersExactlyAsNaturalLess) {
    std::mt19937 random(20240601);
    std::vector<std::string> names;
    for (int i = 0; i < 600; ++i)
        names.push_back(randomName(random));
    for (const std::string& a : names) {
        for (const std::string& b : names)
            ASSERT_EQ(keyLess(a, b), naturalLess(a, b)) << '"' << a << "\" \"" << b << '"';
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
TEST(NaturalSortKey, EveryFoldedLetterOrdersAsNaturalLess) {
    std::vector<std::string> names;
    for (char32_t c = 1; c < 0x180; ++c)
        names.push_back(encoded(c) + "x");
    for (char32_t c = 0x380; c < 0x460; ++c)
        names.push_back(encoded(c));
    for (const std::string& a : names) {
        for (const std::string& b : names)
            ASSERT_EQ(keyLess(a, b), naturalLess(a, b)) << '"' << a << "\" \"" << b << '"';
    }
}

TEST(NaturalSortKey, KnownOrders) {
    EXPECT_TRUE(keyLess("IMG_2", "IMG_10"));
    EXPECT_TRUE(keyLess("img_9", "IMG_10"));
    EXPECT_TRUE(keyLess("IMG_01", "IMG_1")); // equal value, byte order decides
    EXPECT_TRUE(keyLess("a", "a1"));
    EXPECT_TRUE(keyLess("1", "a"));
    EXPECT_TRUE(keyLess(" 1", "1"));
    EXPECT_TRUE(keyLess("99999999999999999999", "100000000000000000000"));
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
