#include "rename/NameSet.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// A run erases and inserts names in every order, by name or by position; the set must
// answer as a plain set would, across growths and with probe chains through erased slots.
TEST(NameSet, AnswersAsAPlainSetThroughInsertsErasesAndGrowth) {
    std::mt19937 random(11);
    std::uniform_int_distribution<int> pick(0, 3000);
    std::uniform_int_distribution<int> action(0, 3);
    std::vector<std::string> first;
    for (int i = 0; i < 500; ++i)
        first.push_back("IMG_" + std::to_string(i) + ".jpg");
    NameSet names;
    names.assign(first);
    std::set<std::string> model(first.begin(), first.end());
    for (int step = 0; step < 40000; ++step) {
        const std::string name = "IMG_" + std::to_string(pick(random)) + ".jpg";
        switch (action(random)) {
        case 0:
            names.insert(name);
            model.insert(name);
            break;
        case 1:
            names.erase(name);
            model.erase(name);
            break;
        case 2: {
            // Right where the first list had the name, or anywhere at all.
            const int number = std::stoi(name.substr(4));
            names.erase(name, step % 2 == 0 && number < 500 ? number : pick(random));
            model.erase(name);
            break;
        }
        default:
            ASSERT_EQ(names.contains(name), model.count(name) != 0) << name << " at " << step;
        }
        ASSERT_EQ(names.size(), model.size());
    }
    for (int i = 0; i <= 3000; ++i) {
        const std::string name = "IMG_" + std::to_string(i) + ".jpg";
        ASSERT_EQ(names.contains(name), model.count(name) != 0) << name;
    }
}

TEST(NameSet, AssignForgetsWhatWasThereAndKeepsExactNames) {
    NameSet names;
    names.assign({"a.jpg", "b.jpg"});
    names.erase("a.jpg");
    names.insert("c.jpg");
    names.assign({"A.JPG", "", "d.jpg"});
    EXPECT_FALSE(names.contains("b.jpg"));
    EXPECT_FALSE(names.contains("c.jpg"));
    EXPECT_FALSE(names.contains("a.jpg")); // exact comparison: case counts
    EXPECT_TRUE(names.contains("A.JPG"));
    EXPECT_TRUE(names.contains(""));
    EXPECT_FALSE(names.contains(std::string_view("d.jpg\0x", 7))); // a longer name sharing them
    EXPECT_EQ(names.size(), 3u);

    NameSet none;
    EXPECT_FALSE(none.contains("a.jpg"));
    none.erase("a.jpg");
    EXPECT_EQ(none.size(), 0u);
}

} // namespace
} // namespace quorvel
