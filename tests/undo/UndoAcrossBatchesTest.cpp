#include "undo/UndoTestSupport.h"

#include <fstream>
#include <functional>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

class UndoAcrossBatchesTest : public UndoWindowTest {
protected:
    // Undoes batch after batch until nothing is left, at most `limit` times.
    void undoEverything(int limit = 6) {
        for (int i = 0; i < limit && window->mnuAnnuler.enabled(); ++i)
            undo();
        EXPECT_FALSE(window->mnuAnnuler.enabled());
    }
};

// While a run waits on its panel, no other batch can cut in (the folder commands are
// greyed); the panel changed meanwhile, and the run is still undone in full.
TEST_F(UndoAcrossBatchesTest, NoBatchCutsIntoAWaitingRunWhichIsUndoneWhole) {
    const std::string photos = temp.folder("Photos");
    const std::string other = temp.folder("Autre");
    temp.file("Photos/03_Vacances.jpg", "old");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name, name);
    MainWindow& w = vacances(photos);
    for (int row = 1; row <= 3; ++row)
        w.sourceFiles.setSelected(row, true);
    duringWaits({[&] {
        ASSERT_EQ(w.targetFolders.setPath(other), 0);
        EXPECT_TRUE(w.targetButtons[3]->inert());
        w.targetButtons[3]->click();
        ASSERT_EQ(w.targetFolders.setPath(photos), 0);
        w.genericName.setText("_Vacances");
        w.startIndex.setText("11");
        w.problemOk.click();
    }});
    w.renameButton.click();
    ASSERT_EQ(waits, 1);
    ASSERT_EQ(namesIn(photos),
              (Names{"01_Vacances.jpg", "03_Vacances.jpg", "13_Vacances.jpg", "b.jpg"}));

    restart();
    undoEverything();
    EXPECT_EQ(namesIn(photos), (Names{"03_Vacances.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        EXPECT_EQ(readFile(photos + "/" + name), name);
    EXPECT_TRUE(exists(other));
}

// A crash tore the journal's last record: what holds is undone, and the batch is then done.
TEST_F(UndoAcrossBatchesTest, ABatchWithATornRecordIsUndoneAsFarAsItHolds) {
    const std::string photos = temp.folder("Photos");
    const Names names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    for (const std::string& name : names)
        temp.file("Photos/" + name, name);
    MainWindow& w = start();
    openSource(photos);
    w.renameButton.click();
    const std::vector<std::string> files = journal->batchFiles();
    ASSERT_EQ(files.size(), 1u);
    // Into the end record, after every outcome.
    const std::string bytes = readFile(files[0]);
    ASSERT_EQ(::truncate(files[0].c_str(), static_cast<off_t>(bytes.size() - 4)), 0);
    temp.file("Photos/IMG_2.jpg", "a new photo");

    restart();
    toolkit.clearEvents();
    undo();
    const std::vector<std::string> first = texts();
    ASSERT_EQ(first.size(), 2u);
    EXPECT_TRUE(first[1].starts_with("2 fichiers ont été rétablis sur les 3 du lot.")) << first[1];

    // Every change was tried: the batch is done with, torn record and all.
    EXPECT_FALSE(window->mnuAnnuler.enabled());
    EXPECT_TRUE(journal->batchFiles().empty());
    EXPECT_EQ(readFile(photos + "/IMG_2.jpg"), "a new photo");
}

// The window closed while the run waited: the files after the wait were foreseen, never
// renamed. One renamed by hand afterwards to the name foreseen is not the batch's to undo.
TEST_F(UndoAcrossBatchesTest, AChangeForeseenButNeverMadeIsNotUndone) {
    const std::string folder = temp.folder("f");
    const std::time_t noon = localTime(2007, 1, 15, 14, 30, 5);
    temp.file("f/a.jpg", noon, "a");
    temp.file("f/b.jpg", noon, "b");
    temp.file("f/c.jpg", noon + 3600, "c");
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    duringWaits({[&] {
        toolkit.queueAnswer(true);
        w.form.onClose();
    }});
    w.renameButton.click();
    ASSERT_TRUE(w.closed());
    ASSERT_EQ(namesIn(folder), (Names{"2007_01_15_143005.jpg", "b.jpg", "c.jpg"}));
    ASSERT_EQ(::rename((folder + "/c.jpg").c_str(), (folder + "/2007_01_15_153005.jpg").c_str()),
              0);

    restart();
    toolkit.clearEvents();
    undo();
    const std::vector<std::string> shown = texts();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0].find("\r\n1 fichiers, le"), std::string::npos) << shown[0];
    EXPECT_EQ(shown[1], "1 fichiers ont été rétablis sur les 1 du lot.");
    EXPECT_EQ(namesIn(folder), (Names{"2007_01_15_153005.jpg", "a.jpg", "b.jpg"}));
}

} // namespace
} // namespace quorvel::test
