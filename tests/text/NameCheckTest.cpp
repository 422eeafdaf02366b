#include "text/NameCheck.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvel {
namespace {

TEST(NameCheckTest, RefusesWhatCannotBeOneVisibleComponent) {
    const std::vector<std::string> refused{
        "", ".", "..", ".hid", ".01.jpg", "a/b", std::string("a\0b", 3), std::string(256, 'x')};
    for (const std::string& name : refused)
        EXPECT_NE(nameProblem(name), nullptr) << name;
    EXPECT_EQ(nameProblem(std::string(255, 'x')), nullptr);
}

// Linux allows these; a name that carries them over must still be renamed or copied.
TEST(NameCheckTest, KeepsWhatAnExistingNameCarriesButNotWhatIsTyped) {
    const std::vector<std::string> carried{"q?.jpg",       "a*b.jpg", "a\\b.jpg", "a\nb.jpg",
                                           "\xff\xfe.jpg", "a.b.",    "é.jpg"};
    for (const std::string& name : carried)
        EXPECT_EQ(nameProblem(name), nullptr) << name;
    EXPECT_NE(typedNameProblem("q?"), nullptr);
    EXPECT_NE(typedNameProblem("a*"), nullptr);
    EXPECT_NE(typedNameProblem(".x"), nullptr);
    EXPECT_EQ(typedNameProblem("Vacances 2007"), nullptr);
    EXPECT_EQ(forbiddenTypedCharacter("a?b*"), '?');
    EXPECT_EQ(forbiddenTypedCharacter("jpg"), std::nullopt);
    EXPECT_NE(typedPrefixProblem("x?"), nullptr);
    EXPECT_NE(typedPrefixProblem("a/"), nullptr);
    // A type may be the filter's "*", but never split a name.
    EXPECT_EQ(typedTypeProblem("*"), nullptr);
    EXPECT_NE(typedTypeProblem("j/pg"), nullptr);
    EXPECT_NE(typedTypeProblem(std::string("j\0pg", 4)), nullptr);
}

} // namespace
} // namespace quorvel
