#include "support/Window.h"

namespace quorvel::test {
namespace {

std::string describe(const Change& change) {
    static const char* const kinds[] = {"all",    "selection", "changed", "insert",   "inserted",
                                        "remove", "removed",   "reset",   "was reset"};
    std::string text = kinds[change.kind];
    if (change.kind != Change::All && change.kind != Change::Selection &&
        change.kind != Change::RowsAboutToBeReset && change.kind != Change::RowsReset)
        text += " " + std::to_string(change.first) + " " + std::to_string(change.count);
    return text;
}

// What a view of the lists hears, over the real file system.
class ChangeTest : public ::testing::Test {
protected:
    ChangeTest() : drives(fs) {
        for (Control* control : {static_cast<Control*>(&files), static_cast<Control*>(&dir)})
            control->subscribe([this](Change change) {
                heard.push_back(describe(change));
                // An announcement comes while the rows still read as they were.
                if (change.ahead())
                    rowsWhenAnnounced.push_back(files.count());
            });
    }
    std::vector<std::string> hear() { return std::exchange(heard, {}); }

    TempFolder temp;
    PosixFileSystem fs;
    Drives drives;
    Form form{"Form1", 3000, 3000};
    FileList& files = form.add<FileList>("File1", &form, Geometry{}, fs);
    FolderList& dir = form.add<FolderList>("Dir1", &form, Geometry{}, drives);
    std::vector<std::string> heard;
    std::vector<int> rowsWhenAnnounced;
};

TEST_F(ChangeTest, AReReadTellsOnlyTheRowsThatChanged) {
    for (const char* name : {"a.jpg", "c.jpg", "e.jpg"})
        temp.file(name);
    files.setPath(temp.path());
    EXPECT_EQ(hear(), (std::vector<std::string>{"reset", "was reset", "selection"}));

    temp.file("b.jpg");
    files.refresh();
    EXPECT_EQ(hear(), (std::vector<std::string>{"insert 1 1", "inserted 1 1", "selection"}));

    std::remove((temp / "e.jpg").c_str());
    files.refresh();
    EXPECT_EQ(hear(), (std::vector<std::string>{"remove 3 1", "removed 3 1", "selection"}));
    EXPECT_EQ(rowsWhenAnnounced, (std::vector<int>{0, 3, 4}));

    // One name for another in the same place; then one that gives way to two.
    std::rename((temp / "b.jpg").c_str(), (temp / "bb.jpg").c_str());
    files.refresh();
    EXPECT_EQ(hear(), (std::vector<std::string>{"changed 1 1", "selection"}));
    std::rename((temp / "bb.jpg").c_str(), (temp / "b1.jpg").c_str());
    temp.file("b2.jpg");
    files.refresh();
    EXPECT_EQ(hear(),
              (std::vector<std::string>{"changed 1 1", "insert 2 1", "inserted 2 1", "selection"}));
    EXPECT_EQ(files.rows(), (std::vector<std::string>{"a.jpg", "b1.jpg", "b2.jpg", "c.jpg"}));

    // The same rows again: only the selection, which a re-read clears.
    files.toggle(0);
    hear();
    files.refresh();
    EXPECT_EQ(hear(), (std::vector<std::string>{"selection"}));
    EXPECT_EQ(files.selectedCount(), 0);

    // Another folder shares nothing: all rows are replaced.
    temp.file("other/z.jpg");
    files.setPath(temp / "other");
    EXPECT_EQ(hear(), (std::vector<std::string>{"reset", "was reset", "selection"}));
    EXPECT_EQ(files.rows(), (std::vector<std::string>{"z.jpg"}));
}

// Two lists of one folder hold its names once; a list that follows a change on disk takes a
// copy of its own, which neither the other list nor a run's inputs taken before see.
TEST_F(ChangeTest, ListsOfOneFolderShareTheirRowsUntilOneChanges) {
    for (const char* name : {"a.jpg", "c.jpg"})
        temp.file(name);
    FileList& other = form.add<FileList>("File2", &form, Geometry{}, fs);
    files.setPath(temp.path());
    other.setPath(temp.path());
    const auto taken = files.sharedRows();
    EXPECT_EQ(taken, other.sharedRows());

    temp.file("b.jpg");
    files.refresh();
    EXPECT_EQ(files.rows(), (std::vector<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(other.rows(), (std::vector<std::string>{"a.jpg", "c.jpg"}));
    EXPECT_EQ(*taken, other.rows());
    other.refresh();
    EXPECT_EQ(other.sharedRows(), files.sharedRows());
}

TEST_F(ChangeTest, AFolderListIsToldBeforeItsRowsChange) {
    temp.folder("sub");
    std::vector<std::string> pathWhenAnnounced;
    dir.subscribe([&](Change change) {
        if (change.ahead())
            pathWhenAnnounced.push_back(dir.path());
    });
    ASSERT_EQ(dir.setPath(temp.path()), 0);
    ASSERT_EQ(dir.setPath(temp / "sub"), 0);
    EXPECT_EQ(pathWhenAnnounced, (std::vector<std::string>{"", temp.path()}));
    EXPECT_EQ(hear(), (std::vector<std::string>{"reset", "was reset", "selection", "reset",
                                                "was reset", "selection"}));
}

TEST_F(ChangeTest, EverySetterTellsTheView) {
    files.setTooltip("Fichiers");
    files.setBackColor(0xFFC080);
    files.setForeColor(0x000000);
    files.setTag("3");
    EXPECT_EQ(hear(), (std::vector<std::string>(4, "all")));
}

// A table's cells share large blocks: texts that fill a block, one longer than a block and
// empty ones each read back whole, after the cells were moved into the table, and a new set
// of as many rows is told as changed in place.
TEST(TableTest, CellsReadBackWhateverTheirSizeAndARefillOfAsManyRowsIsAChange) {
    Table table("Liste", nullptr, Geometry{}, {"Fichier", "Nouveau nom", "Remarque"});
    std::vector<std::string> heard;
    table.subscribe([&](Change change) { heard.push_back(describe(change)); });
    std::vector<std::string> texts;
    PackedTexts cells;
    for (int row = 0; row < 30000; ++row) {
        texts.push_back("IMG_" + std::to_string(row) + std::string(row % 97, 'x') + ".jpg");
        texts.push_back(row == 12345 ? std::string(3 << 20, 'L') : "");
        texts.push_back(row % 2 == 0 ? "existe déjà" : "");
    }
    std::vector<char> marked;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        cells.add(texts[k]);
        if (k % 3 == 0)
            marked.push_back(static_cast<char>(k % 2));
    }
    table.setRows(std::move(cells), marked);
    ASSERT_EQ(table.count(), 30000);
    bool same = true;
    for (int row = 0; row < table.count(); ++row) {
        for (int column = 0; column < 3; ++column)
            same = same &&
                   table.cell(row, column) == texts[static_cast<std::size_t>(row * 3 + column)];
    }
    EXPECT_TRUE(same);
    EXPECT_THROW((void)table.cell(30000, 0), std::out_of_range);

    PackedTexts again;
    for (std::size_t k = 0; k < texts.size(); ++k)
        again.add(k % 3 == 1 ? "nouveau" : texts[k]);
    table.setRows(std::move(again), marked);
    EXPECT_EQ(table.cell(29999, 1), "nouveau");
    EXPECT_EQ(heard, (std::vector<std::string>{"reset", "was reset", "changed 0 30000"}));
}

} // namespace
} // namespace quorvel::test
