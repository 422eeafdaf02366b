#include "view/FormWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// A form whose only menu holds one plain item and one that can be ticked.
class MenuBarTest : public testing::Test {
protected:
    MenuBarTest() {
        plain.onClick = [this] { ++plainClicks; };
        ticked.setCheckable(true);
        ticked.onClick = [this] { tickSeen.push_back(ticked.checked()); };
    }
    QAction* action(const char* name) { return window.findChild<QAction*>(name); }

    Form form{"Form1", 3000, 1500};
    Menu& menu = form.add<Menu>("mnuOptions", &form, "&Options");
    MenuItem& plain = form.add<MenuItem>("mnuPlain", &menu, "Simple", "Ctrl+Z");
    MenuItem& ticked = form.add<MenuItem>("mnuTick", &menu, "Cochée");
    int plainClicks = 0;
    std::vector<bool> tickSeen;
    FormWindow window{form};
};

TEST_F(MenuBarTest, ItemsMirrorTheModelAndAGreyedOneDoesNothing) {
    QAction* simple = action("mnuPlain");
    ASSERT_NE(simple, nullptr);
    EXPECT_EQ(simple->text(), "Simple");
    EXPECT_EQ(simple->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    simple->trigger();
    EXPECT_EQ(plainClicks, 1);

    plain.setEnabled(false);
    EXPECT_FALSE(simple->isEnabled());
    simple->trigger();
    EXPECT_EQ(plainClicks, 1);
    plain.setCaption("Autre");
    EXPECT_EQ(simple->text(), "Autre");
}

TEST_F(MenuBarTest, ATickShownIsTheModelsAfterItsReaction) {
    QAction* tick = action("mnuTick");
    ASSERT_NE(tick, nullptr);
    EXPECT_TRUE(tick->isCheckable());
    EXPECT_FALSE(tick->isChecked());
    tick->trigger();
    EXPECT_TRUE(ticked.checked());
    EXPECT_TRUE(tick->isChecked());
    EXPECT_EQ(tickSeen, (std::vector<bool>{true}));

    // A reaction that puts the tick back wins over Qt's own toggling.
    ticked.onClick = [this] { ticked.setChecked(false); };
    tick->trigger();
    EXPECT_FALSE(tick->isChecked());
    ticked.setChecked(true);
    EXPECT_TRUE(tick->isChecked());
}

TEST_F(MenuBarTest, AFormWithoutMenusHasNoBar) {
    Form bare("Form2", 3000, 1500);
    FormWindow plainWindow(bare);
    EXPECT_EQ(plainWindow.menuBar(), nullptr);
    EXPECT_EQ(plainWindow.height(), plainWindow.pixels(1500));
}

} // namespace
} // namespace quorvel
