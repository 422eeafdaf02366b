#include "view/FirstPaint.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace quorvel {
namespace {

// The program reads its saved folders once its window is painted: exactly once, even when
// the fallback for a window that is never painted comes due afterwards.
TEST(FirstPaintTest, RunsOnceAtTheFirstPaint) {
    QWidget window;
    window.resize(200, 100);
    int runs = 0;
    bool paintedBefore = false;
    afterFirstPaint(window, [&] {
        ++runs;
        paintedBefore = window.isVisible();
    });
    EXPECT_EQ(runs, 0);
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return runs > 0; }, 900));
    EXPECT_TRUE(paintedBefore);
    window.update();
    QTest::qWait(1200);
    EXPECT_EQ(runs, 1);
}

// A window that starts minimised is still filled; one closed for good is not.
TEST(FirstPaintTest, AWindowNeverPaintedIsFilledAfterASecondAndAGoneOneNever) {
    QWidget hidden;
    int hiddenRuns = 0;
    afterFirstPaint(hidden, [&] { ++hiddenRuns; });
    auto gone = std::make_unique<QWidget>();
    int goneRuns = 0;
    afterFirstPaint(*gone, [&] { ++goneRuns; });
    gone.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hiddenRuns > 0; }, 3000));
    EXPECT_EQ(hiddenRuns, 1);
    EXPECT_EQ(goneRuns, 0);
}

} // namespace
} // namespace quorvel
