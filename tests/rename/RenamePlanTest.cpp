#include "rename/RenamePlan.h"

#include "platform/posix/PosixFileSystem.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

std::string numbered(const char* format, int i) {
    char name[32];
    std::snprintf(name, sizeof name, format, i);
    return name;
}

struct Step {
    std::string newName;
    Outcome predicted;
    Outcome outcome;
    bool operator==(const Step&) const = default;
};

// In place, among names the scheme itself gives, so that each rename frees one name of the
// list and takes another; every seventh file fails on the disk and keeps its name.
std::vector<Step> walk(const std::vector<std::string>& rows, bool foresee) {
    PosixFileSystem fs;
    const RunSettings settings{
        Scheme::NumberThenGeneric, "_X", true, 1, 1, 2, "jpg", nullptr, false, nullptr, false, {}};
    std::vector<int> taken(rows.size());
    for (std::size_t i = 0; i < taken.size(); ++i)
        taken[i] = static_cast<int>(i);
    RenamePlanner planner(fs, rows, taken, "/photos");
    planner.setTarget("/photos", rows);
    std::vector<Step> steps;
    PlannedItem item;
    for (int i = 0; !planner.atEnd(); ++i) {
        std::vector<PlannedItem> ahead;
        if (foresee)
            ahead = planner.foresee(settings, item.rang, static_cast<std::size_t>(i % 5 + 1));
        planner.next(settings, item);
        if (foresee) {
            EXPECT_EQ(ahead.at(0).newName, item.newName) << i;
            EXPECT_EQ(ahead.at(0).predicted.outcome, item.predicted.outcome) << i;
        }
        Outcome outcome = item.predicted.outcome;
        if (i % 7 == 3 && outcome == Outcome::Done)
            outcome = Outcome::Failed;
        planner.settle(item, outcome);
        steps.push_back({item.newName, item.predicted.outcome, outcome});
    }
    return steps;
}

// A walk that looks ahead at every file, near and far, plans exactly what a walk that
// never does plans: foreseeing leaves the names and the numbers where they stood.
TEST(RenamePlannerTest, ForeseeingLeavesTheWalkWhereItStood) {
    std::vector<std::string> rows;
    for (int i = 0; i < 80; ++i)
        rows.push_back(i % 4 == 0 ? numbered("%02d_X.jpg", i / 2 + 20)
                                  : numbered("IMG_%02d.jpg", i));
    const std::vector<Step> plain = walk(rows, false);
    EXPECT_EQ(walk(rows, true), plain);
    int collisions = 0;
    for (const Step& step : plain)
        collisions += step.predicted == Outcome::Collision ? 1 : 0;
    // The rows do meet the cases that move the target names.
    EXPECT_GT(collisions, 3);
}

} // namespace
} // namespace quorvel::test
