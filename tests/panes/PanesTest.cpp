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
    EXPECT_EQ(w.Dir2.path(), photos);
    EXPECT_EQ(w.File1.rows(),
              (std::vector<std::string>{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0010.JPG"}));
    EXPECT_EQ(w.File2.rows(), w.File1.rows());
    EXPECT_EQ(w.Text3.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.Text4.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 3");
    EXPECT_EQ(w.Text1.text(), "IMG_0001");
    EXPECT_EQ(w.Nom, "IMG_0001");
    EXPECT_EQ(w.Dir1.subfolders(), (std::vector<std::string>{"Tri"}));
    EXPECT_EQ(*w.Dir1.entry(-1), photos);
    EXPECT_EQ(*w.Dir1.entry(-2), temp.path());
    EXPECT_EQ(*w.Dir1.entry(0), photos + "/Tri");
    EXPECT_EQ(*w.Dir1.entry(-w.Dir1.ancestorCount()), "/");
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
    w.Option2[2]->click();
    openSource(empty);
    EXPECT_EQ(w.Text1.text(), "");
    EXPECT_EQ(w.Nom, "");
    EXPECT_EQ(w.Text3.text(), "    0 fichiers de type jpg");
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 0");
    EXPECT_TRUE(w.Option2[0]->value());
}

TEST_F(PanesTest, DigitWidthFollowsTheFileCount) {
    MainWindow& w = start();
    const auto widthFor = [&](int files, const std::string& step) {
        const std::string folder = temp.folder("n" + std::to_string(files) + "_" + step);
        for (int i = 0; i < files; ++i)
            temp.file("n" + std::to_string(files) + "_" + step + "/f" + std::to_string(i) + ".jpg");
        w.Combo2.pick(step);
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
    w.Combo2.setText("4");
    w.Combo2.pick("4");
    openSource(folder);
    EXPECT_EQ(w.composer().selectedDigits(), 4);
    w.Combo2.addItem("30000");
    w.Combo2.pick("30000");
    EXPECT_EQ(w.composer().selectedDigits(), 4);
}

TEST_F(PanesTest, ClickingARowCountsTheSelectionAndClearsTheOtherPane) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.File2.toggle(3);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 1");
    w.File1.toggle(0);
    w.File1.toggle(2);
    w.File1.toggle(3);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 3");
    EXPECT_EQ(w.File2.selectedCount(), 0);
    EXPECT_EQ(w.File1.current(), 3);
    w.File1.toggle(0);
    w.File1.toggle(2);
    w.File1.toggle(3);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 4");
    // Nothing selected in the target pane: the source pane's count.
    w.File1.toggle(1);
    w.File2.toggle(0);
    w.File2.toggle(0);
    EXPECT_EQ(w.File1.selectedCount(), 0);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 4");
}

// The run and the edits re-read the list, which clears its selection: the counter follows,
// or the next command would take every file while it still said a few.
TEST_F(PanesTest, CounterFollowsASelectionClearedByTheRun) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.File1.toggle(1);
    w.File1.toggle(3);
    ASSERT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 2");
    w.Text1.setText("_Vacances");
    w.Command1.click();
    EXPECT_EQ(w.File1.selectedCount(), 0);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 5");
    w.File1.toggle(0);
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 1");
    w.File1.refresh();
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 5");
}

TEST_F(PanesTest, UpMovesOneLevelAndStopsAtTheRoot) {
    const std::string deep = temp.folder("a/b");
    temp.folder("a/b/c1");
    temp.folder("a/b/c2");
    MainWindow& w = start();
    openSource(deep);
    w.Comm2[1]->click();
    EXPECT_EQ(w.Dir2.path(), temp / "a");
    EXPECT_EQ(w.Dir1.path(), deep);
    w.Comm1[1]->click();
    EXPECT_EQ(w.Dir1.path(), temp / "a");
    EXPECT_EQ(w.Dir2.path(), temp / "a");
    // A highlighted ancestor: its parent opens.
    openSource(deep);
    w.Dir1.highlight(-2);
    w.Comm1[1]->click();
    EXPECT_EQ(w.Dir1.path(), temp.path());
    // The first subfolder highlighted names the open folder itself; the second, the first.
    openSource(deep);
    w.Dir1.highlight(0);
    w.Comm1[1]->click();
    EXPECT_EQ(w.Dir1.path(), deep);
    w.Dir1.highlight(1);
    w.Comm1[1]->click();
    EXPECT_EQ(w.Dir1.path(), deep + "/c1");
    openSource("/");
    w.Comm1[1]->click();
    EXPECT_EQ(w.Dir1.path(), "/");
}

TEST_F(PanesTest, DriveChoiceOpensTheDrivesCurrentFolder) {
    const std::string photos = temp.folder("Photos");
    const std::string card = temp.folder("card");
    temp.folder("card/DCIM");
    fs.addVolume(card);
    MainWindow& w = start();
    openSource(photos);
    ASSERT_TRUE(w.Drive1.setDrive(card + "/DCIM"));
    EXPECT_EQ(w.Drive1.drive(), card);
    EXPECT_EQ(w.Dir1.path(), card);
    EXPECT_EQ(w.Drive2.drive(), card);
    EXPECT_EQ(w.Dir2.path(), card);
    w.Dir1.setPath(card + "/DCIM");
    // Back on "/", the folder last opened there.
    ASSERT_TRUE(w.Drive1.setDrive("/"));
    EXPECT_EQ(w.Dir1.path(), photos);
    ASSERT_TRUE(w.Drive1.setDrive(card));
    EXPECT_EQ(w.Dir1.path(), card + "/DCIM");
    EXPECT_EQ(w.Dir1.entry(-w.Dir1.ancestorCount()), card);
    EXPECT_FALSE(w.Drive1.setDrive("relative/path"));
}

TEST_F(PanesTest, TypeFiltersFollowEachOther) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"b.gif", "a.GIF", "c.jpg", "d.tif", "song"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    w.Combo3.pick("tif");
    EXPECT_EQ(w.File2.rows(), (std::vector<std::string>{"d.tif"}));
    EXPECT_EQ(w.Text4.text(), "    1 fichiers de type tif");
    EXPECT_EQ(w.Text3.text(), "    1 fichiers de type jpg");
    EXPECT_EQ(w.Option1[0]->caption(), "01c.tif");
    w.File1.toggle(0);
    w.Combo1.pick("gif");
    EXPECT_EQ(w.File1.pattern(), "*.gif");
    EXPECT_EQ(w.File1.rows(), (std::vector<std::string>{"a.GIF", "b.gif"}));
    EXPECT_EQ(w.File1.selectedCount(), 0);
    EXPECT_EQ(w.Combo3.text(), "gif");
    EXPECT_EQ(w.File2.rows(), w.File1.rows());
    EXPECT_EQ(w.Text3.text(), "    2 fichiers de type gif");
    EXPECT_EQ(w.Text6.text(), "   Fichiers sélectionnés = 2");
    EXPECT_EQ(w.Text1.text(), "a");
    w.Combo1.pick("bmp");
    EXPECT_EQ(w.Text1.text(), "");
    EXPECT_EQ(w.Text3.text(), "    0 fichiers de type bmp");
    w.Combo1.pick("*");
    EXPECT_EQ(w.File1.pattern(), "*.*");
    EXPECT_EQ(w.File1.count(), 5);
    EXPECT_EQ(w.Text3.text(), "    5 fichiers de type *");
    // A type typed but not picked waits for the next refresh.
    w.Combo1.setText("tif");
    EXPECT_EQ(w.File1.count(), 5);
}

// The dot is the one the names already have: whoever reads the box next (the lists' pattern,
// the new names' type) reads the type alone.
TEST_F(PanesTest, ATypeTypedWithItsDotIsTakenWithoutIt) {
    MainWindow& w = start();
    w.Combo3.setText(".HEIC");
    EXPECT_EQ(w.Combo3.text(), "HEIC");
    w.Combo1.setText("..heic");
    EXPECT_EQ(w.Combo1.text(), "heic");
    w.Combo1.setText(".");
    EXPECT_EQ(w.Combo1.text(), "");
    w.Combo1.setText("tar.gz");
    EXPECT_EQ(w.Combo1.text(), "tar.gz");
}

} // namespace
} // namespace quorvel::test
