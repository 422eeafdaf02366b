#include "panes/DiskFollower.h"

#include "support/Window.h"
#include "testing/ScriptedFolderWatcher.h"

#include <cstdio>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

class DiskFollowerTest : public WindowTest {
protected:
    DiskFollowerTest() { folderWatcher = &watcher; }

    ScriptedFolderWatcher watcher;
};

TEST_F(DiskFollowerTest, AChangeBehindTheListRereadsItKeepingTheSelectionByName) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    EXPECT_EQ(watcher.watched(), Names{photos});
    w.genericName.setText("Vacances");
    w.sourceFiles.toggle(3);
    w.sourceFiles.toggle(2);
    w.sourceFiles.toggle(1);
    ASSERT_EQ(w.sourceFiles.current(), 1);

    // Another program adds a file before the selection, removes a selected one and one that
    // is not, and writes a hidden file (which no list shows).
    temp.file("Photos/aa.jpg");
    ASSERT_EQ(std::remove((photos + "/c.jpg").c_str()), 0);
    ASSERT_EQ(std::remove((photos + "/a.jpg").c_str()), 0);
    temp.file("Photos/.cache");
    EXPECT_TRUE(watcher.settle({photos}));

    EXPECT_EQ(w.sourceFiles.rows(), (Names{"aa.jpg", "b.jpg", "d.jpg"}));
    EXPECT_EQ(w.sourceFiles.selectedRows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(w.sourceFiles.row(w.sourceFiles.current()), "b.jpg");
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.sourceStatus.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 2");
    // A re-read the user did not ask for leaves what they typed alone.
    EXPECT_EQ(w.genericName.text(), "Vacances");
    EXPECT_TRUE(toolkit.events().empty());

    // The current row itself goes: no row is current any more.
    ASSERT_EQ(std::remove((photos + "/b.jpg").c_str()), 0);
    EXPECT_TRUE(watcher.settle({photos}));
    EXPECT_EQ(w.sourceFiles.rows(), (Names{"aa.jpg", "d.jpg"}));
    EXPECT_EQ(w.sourceFiles.selectedRows(), std::vector<int>{1});
    EXPECT_EQ(w.sourceFiles.current(), -1);
}

TEST_F(DiskFollowerTest, OnlyTheListsShowingTheFolderFollowIt) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    const std::string sorted = temp.folder("Tri");
    MainWindow& w = start();
    openSource(photos);
    ASSERT_EQ(w.targetFolders.setPath(sorted), 0);
    EXPECT_EQ(watcher.watched(), (Names{photos, sorted}));
    w.sourceFiles.toggle(0);

    temp.file("Tri/x.jpg");
    temp.file("Photos/b.jpg");
    EXPECT_TRUE(watcher.settle({sorted}));
    EXPECT_EQ(w.targetFiles.rows(), Names{"x.jpg"});
    EXPECT_EQ(w.targetStatus.text(), "    1 fichiers de type jpg");
    EXPECT_EQ(w.sourceFiles.rows(), Names{"a.jpg"});
    EXPECT_EQ(w.sourceFiles.selectedCount(), 1);
    // A folder no pane shows any more is no news.
    ASSERT_EQ(w.targetFolders.setPath(photos), 0);
    EXPECT_EQ(watcher.watched(), Names{photos});
    temp.file("Tri/y.jpg");
    EXPECT_TRUE(watcher.settle({sorted}));
    EXPECT_EQ(w.targetFiles.rows(), (Names{"a.jpg", "b.jpg"}));
}

TEST_F(DiskFollowerTest, NewsThatChangesNoRowChangesNothing) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    MainWindow& w = start();
    openSource(photos);
    w.sourceFiles.toggle(0);
    const auto generation = w.sourceFiles.generation();
    int changes = 0;
    const int id = w.sourceFiles.subscribe([&](Change) { ++changes; });
    temp.file("Photos/notes.txt");
    EXPECT_TRUE(watcher.settle({photos}));
    w.sourceFiles.unsubscribe(id);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(w.sourceFiles.generation(), generation);
    EXPECT_EQ(w.sourceFiles.selectedCount(), 1);
}

// The run walks its rows: news that comes while it waits on its panel is heard again once
// it has ended, and the run's own re-read has already shown the disk.
TEST_F(DiskFollowerTest, TheRunIsNotRereadUnderItsFeet) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"01_Vacances.jpg", "IMG_001.jpg", "IMG_002.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = vacances(photos);
    w.sourceFiles.toggle(1);
    const Names before = w.sourceFiles.rows();
    bool heard = true;
    duringWaits({[&] {
        temp.file("Photos/IMG_100.jpg");
        heard = watcher.settle({photos});
        EXPECT_EQ(w.sourceFiles.rows(), before);
        EXPECT_EQ(w.sourceFiles.selectedCount(), 1);
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(heard);
    EXPECT_EQ(w.sourceFiles.rows(),
              (Names{"01_Vacances.jpg", "IMG_001.jpg", "IMG_002.jpg", "IMG_100.jpg"}));
    EXPECT_TRUE(watcher.settle({photos}));
}

TEST_F(DiskFollowerTest, TheUserAsksForTheRereadOfAList) {
    folderWatcher = nullptr;
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/b.jpg");
    MainWindow& w = start();
    openSource(photos);
    w.sourceFiles.toggle(0);
    temp.file("Photos/a.jpg");
    ASSERT_TRUE(w.sourceFiles.onReread);
    w.sourceFiles.onReread();
    EXPECT_EQ(w.sourceFiles.rows(), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(w.sourceFiles.selectedRows(), std::vector<int>{1});
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type jpg");
    // The target list shows the same folder but was not asked.
    EXPECT_EQ(w.targetFiles.rows(), Names{"b.jpg"});
    w.targetFiles.onReread();
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
}

} // namespace
} // namespace quorvel::test
