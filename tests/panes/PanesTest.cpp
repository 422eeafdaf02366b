#include "panes/Panes.h"

#include "rename/NameComposer.h"
#include "support/Window.h"

namespace quorvel::test {
namespace {

class PanesTest : public WindowTest {};

TEST_F(PanesTest, SourceFolderMovesTheTargetPaneAndProposesAName) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/IMG_0002.jpg");
    temp.file("Photos/IMG_0010.JPG");
    temp.file("Photos/IMG_0001.jpg");
    temp.file("Photos/notes.txt");
    temp.file("Photos/.hidden.jpg");
    temp.folder("Photos/Tri");
    MainWindow& w = start();
    openSource(photos);
    EXPECT_EQ(w.targetFolders.path(), photos);
    EXPECT_EQ(w.sourceFiles.rows(),
              (std::vector<std::string>{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0010.JPG"}));
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.sourceStatus.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 3");
    EXPECT_EQ(w.genericName.text(), "IMG_0001");
    EXPECT_EQ(w.composer().variables().typedGeneric, "IMG_0001");
    EXPECT_EQ(w.sourceFolders.subfolders(), (std::vector<std::string>{"Tri"}));
    EXPECT_EQ(*w.sourceFolders.entry(-1), photos);
    EXPECT_EQ(*w.sourceFolders.entry(-2), temp.path());
    EXPECT_EQ(*w.sourceFolders.entry(0), photos + "/Tri");
    EXPECT_EQ(*w.sourceFolders.entry(-w.sourceFolders.ancestorCount()), "/");
}

TEST_F(PanesTest, ProposedNameDropsExactlyFourCharacters) {
    EXPECT_EQ(Panes::proposedName("IMG_0001.jpg"), "IMG_0001");
    EXPECT_EQ(Panes::proposedName("photo.jpeg"), "photo.");
    EXPECT_EQ(Panes::proposedName("a.mp3"), "a");
    EXPECT_EQ(Panes::proposedName("Été.jpg"), "Été");
    EXPECT_EQ(Panes::proposedName(".jpg"), "");
    EXPECT_EQ(Panes::proposedName("a.b"), "");
}

TEST_F(PanesTest, EmptyFolderClearsTheNameAndChoosesTwoDigits) {
    const std::string empty = temp.folder("Vide");
    MainWindow& w = start();
    w.digitOptions[2]->click();
    openSource(empty);
    EXPECT_EQ(w.genericName.text(), "");
    EXPECT_EQ(w.composer().variables().typedGeneric, "");
    EXPECT_EQ(w.sourceStatus.text(), "    0 fichiers de type jpg");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 0");
    EXPECT_TRUE(w.digitOptions[0]->value());
}

TEST_F(PanesTest, DigitWidthFollowsTheFileCount) {
    MainWindow& w = start();
    const auto widthFor = [&](int files, const std::string& step) {
        const std::string folder = temp.folder("n" + std::to_string(files) + "_" + step);
        for (int i = 0; i < files; ++i)
            temp.file("n" + std::to_string(files) + "_" + step + "/f" + std::to_string(i) + ".jpg");
        w.stepBox.pick(step);
        openSource(folder);
        return w.composer().selectedDigits();
    };
    EXPECT_EQ(widthFor(98, "1"), 2);
    EXPECT_EQ(widthFor(99, "1"), 3);
    EXPECT_EQ(widthFor(998, "1"), 3);
    EXPECT_EQ(widthFor(999, "1"), 4);
    EXPECT_EQ(widthFor(250, "4"), 4);
    EXPECT_EQ(widthFor(49, "2"), 2);
    EXPECT_EQ(widthFor(50, "2"), 3);
}

TEST_F(PanesTest, LargeProductsNeverWrapAround) {
    const std::string folder = temp.folder("big");
    for (int i = 0; i < 9000; ++i)
        temp.file("big/f" + std::to_string(i) + ".jpg");
    MainWindow& w = start();
    w.stepBox.setText("4");
    w.stepBox.pick("4");
    openSource(folder);
    EXPECT_EQ(w.composer().selectedDigits(), 4);
    w.stepBox.addItem("30000");
    w.stepBox.pick("30000");
    EXPECT_EQ(w.composer().selectedDigits(), 4);
}

TEST_F(PanesTest, ClickingARowCountsTheSelectionAndClearsTheOtherPane) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.targetFiles.toggle(3);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 1");
    w.sourceFiles.toggle(0);
    w.sourceFiles.toggle(2);
    w.sourceFiles.toggle(3);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 3");
    EXPECT_EQ(w.targetFiles.selectedCount(), 0);
    EXPECT_EQ(w.sourceFiles.current(), 3);
    w.sourceFiles.toggle(0);
    w.sourceFiles.toggle(2);
    w.sourceFiles.toggle(3);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 4");
    // Nothing selected in the target pane: the source pane's count.
    w.sourceFiles.toggle(1);
    w.targetFiles.toggle(0);
    w.targetFiles.toggle(0);
    EXPECT_EQ(w.sourceFiles.selectedCount(), 0);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 4");
}

// The run and the edits re-read the list, which clears its selection: the counter follows,
// or the next command would take every file while it still said a few.
TEST_F(PanesTest, CounterFollowsASelectionClearedByTheRun) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.sourceFiles.toggle(1);
    w.sourceFiles.toggle(3);
    ASSERT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 2");
    w.genericName.setText("_Vacances");
    w.renameButton.click();
    EXPECT_EQ(w.sourceFiles.selectedCount(), 0);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 5");
    w.sourceFiles.toggle(0);
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 1");
    w.sourceFiles.refresh();
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 5");
}

TEST_F(PanesTest, UpMovesOneLevelAndStopsAtTheRoot) {
    const std::string deep = temp.folder("a/b");
    temp.folder("a/b/c1");
    temp.folder("a/b/c2");
    MainWindow& w = start();
    openSource(deep);
    w.targetButtons[1]->click();
    EXPECT_EQ(w.targetFolders.path(), temp / "a");
    EXPECT_EQ(w.sourceFolders.path(), deep);
    w.sourceButtons[1]->click();
    EXPECT_EQ(w.sourceFolders.path(), temp / "a");
    EXPECT_EQ(w.targetFolders.path(), temp / "a");
    // A highlighted ancestor: its parent opens.
    openSource(deep);
    w.sourceFolders.highlight(-2);
    w.sourceButtons[1]->click();
    EXPECT_EQ(w.sourceFolders.path(), temp.path());
    // The first subfolder highlighted names the open folder itself; the second, the first.
    openSource(deep);
    w.sourceFolders.highlight(0);
    w.sourceButtons[1]->click();
    EXPECT_EQ(w.sourceFolders.path(), deep);
    w.sourceFolders.highlight(1);
    w.sourceButtons[1]->click();
    EXPECT_EQ(w.sourceFolders.path(), deep + "/c1");
    openSource("/");
    w.sourceButtons[1]->click();
    EXPECT_EQ(w.sourceFolders.path(), "/");
}

TEST_F(PanesTest, DriveChoiceOpensTheDrivesCurrentFolder) {
    const std::string photos = temp.folder("Photos");
    const std::string card = temp.folder("card");
    temp.folder("card/DCIM");
    fs.addVolume(card);
    MainWindow& w = start();
    openSource(photos);
    ASSERT_TRUE(w.sourceDrives.setDrive(card + "/DCIM"));
    EXPECT_EQ(w.sourceDrives.drive(), card);
    EXPECT_EQ(w.sourceFolders.path(), card);
    EXPECT_EQ(w.targetDrives.drive(), card);
    EXPECT_EQ(w.targetFolders.path(), card);
    w.sourceFolders.setPath(card + "/DCIM");
    // Back on "/", the folder last opened there.
    ASSERT_TRUE(w.sourceDrives.setDrive("/"));
    EXPECT_EQ(w.sourceFolders.path(), photos);
    ASSERT_TRUE(w.sourceDrives.setDrive(card));
    EXPECT_EQ(w.sourceFolders.path(), card + "/DCIM");
    EXPECT_EQ(w.sourceFolders.entry(-w.sourceFolders.ancestorCount()), card);
    EXPECT_FALSE(w.sourceDrives.setDrive("relative/path"));
}

TEST_F(PanesTest, TypeFiltersFollowEachOther) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"b.gif", "a.GIF", "c.jpg", "d.tif", "song"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.targetType.pick("tif");
    EXPECT_EQ(w.targetFiles.rows(), (std::vector<std::string>{"d.tif"}));
    EXPECT_EQ(w.targetStatus.text(), "    1 fichiers de type tif");
    EXPECT_EQ(w.sourceStatus.text(), "    1 fichiers de type jpg");
    EXPECT_EQ(w.schemeOptions[0]->caption(), "01c.tif");
    w.sourceFiles.toggle(0);
    w.sourceType.pick("gif");
    EXPECT_EQ(w.sourceFiles.pattern(), "*.gif");
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"a.GIF", "b.gif"}));
    EXPECT_EQ(w.sourceFiles.selectedCount(), 0);
    EXPECT_EQ(w.targetType.text(), "gif");
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type gif");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 2");
    EXPECT_EQ(w.genericName.text(), "a");
    w.sourceType.pick("bmp");
    EXPECT_EQ(w.genericName.text(), "");
    EXPECT_EQ(w.sourceStatus.text(), "    0 fichiers de type bmp");
    w.sourceType.pick("*");
    EXPECT_EQ(w.sourceFiles.pattern(), "*.*");
    EXPECT_EQ(w.sourceFiles.count(), 5);
    EXPECT_EQ(w.sourceStatus.text(), "    5 fichiers de type *");
    // A type typed but not picked waits for the next refresh.
    w.sourceType.setText("tif");
    EXPECT_EQ(w.sourceFiles.count(), 5);
}

// The dot is the one the names already have: whoever reads the box next (the lists' pattern,
// the new names' type) reads the type alone.
TEST_F(PanesTest, ATypeTypedWithItsDotIsTakenWithoutIt) {
    MainWindow& w = start();
    w.targetType.setText(".HEIC");
    EXPECT_EQ(w.targetType.text(), "HEIC");
    w.sourceType.setText("..heic");
    EXPECT_EQ(w.sourceType.text(), "heic");
    w.sourceType.setText(".");
    EXPECT_EQ(w.sourceType.text(), "");
    w.sourceType.setText("tar.gz");
    EXPECT_EQ(w.sourceType.text(), "tar.gz");
}

} // namespace
} // namespace quorvel::test
