#include "preview/Preview.h"

#include "batch/Batch.h"
#include "platform/ExifSamples.h"
#include "rename/BatchRename.h"
#include "rename/CameraClock.h"
#include "support/Window.h"

#include <algorithm>
#include <ostream>
#include <random>

namespace quorvel::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

class PreviewTest : public WindowTest {
protected:
    Table& liste() { return *static_cast<Table*>(window->preview().form()->find("Liste")); }
    Rows rows() {
        Rows out(static_cast<std::size_t>(liste().count()));
        for (int row = 0; row < liste().count(); ++row) {
            for (int column = 0; column < 3; ++column)
                out[static_cast<std::size_t>(row)].emplace_back(liste().cell(row, column));
        }
        return out;
    }
    const std::string& resume() { return window->preview().form()->find("Resume")->caption(); }
    std::vector<bool> marks() {
        std::vector<bool> out;
        for (int i = 0; i < liste().count(); ++i)
            out.push_back(liste().marked(i));
        return out;
    }
};

TEST_F(PreviewTest, WorkedExampleThenSchemeTwoWithItsBlankWithoutTouchingTheDisk) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    EXPECT_EQ(liste().columns(), (std::vector<std::string>{"Fichier", "Nouveau nom", "Remarque"}));
    EXPECT_EQ(rows(), (Rows{{"IMG_001.jpg", "01_Vacances.jpg", ""},
                            {"IMG_002.jpg", "03_Vacances.jpg", ""},
                            {"IMG_003.jpg", "05_Vacances.jpg", ""}}));
    EXPECT_EQ(resume(), "3 fichiers seront renommés sur les 3 présents.");

    w.schemeOptions[2]->click();
    EXPECT_EQ(rows(), (Rows{{"IMG_001.jpg", "_Vacances (01).jpg", ""},
                            {"IMG_002.jpg", "_Vacances (03).jpg", ""},
                            {"IMG_003.jpg", "_Vacances (05).jpg", ""}}));
    EXPECT_EQ(namesIn(photos),
              (std::vector<std::string>{"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"}));
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(PreviewTest, EveryNameTakenKeepsTheNumberAndCountsTheCollisions) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"01_Vacances.jpg", "a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    // The first file is offered its own name, which is taken; the number never moves on.
    EXPECT_EQ(rows(), (Rows{{"01_Vacances.jpg", "01_Vacances.jpg", "existe déjà"},
                            {"a.jpg", "01_Vacances.jpg", "existe déjà"},
                            {"b.jpg", "01_Vacances.jpg", "existe déjà"},
                            {"c.jpg", "01_Vacances.jpg", "existe déjà"}}));
    EXPECT_EQ(marks(), (std::vector<bool>{true, true, true, true}));
    EXPECT_EQ(resume(), "0 fichiers seront renommés sur les 4 présents (4 existent déjà).");
}

TEST_F(PreviewTest, SelectionAndNamesOfTheRowsAbove) {
    const std::string photos = temp.folder("Photos");
    // Two files of one second: the second is refused the name the first one takes.
    const std::time_t when = localTime(2024, 7, 14, 10, 30, 0);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name, when);
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    w.sourceFiles.toggle(1);
    w.sourceFiles.toggle(3);
    EXPECT_EQ(rows(), (Rows{{"b.jpg", "01_Vacances.jpg", ""}, {"d.jpg", "03_Vacances.jpg", ""}}));
    EXPECT_EQ(resume(), "2 fichiers seront renommés sur les 4 présents.");

    w.schemeOptions[3]->click();
    EXPECT_EQ(rows(), (Rows{{"b.jpg", "2024_07_14_103000.jpg", ""},
                            {"d.jpg", "2024_07_14_103000.jpg", "existe déjà"}}));
    EXPECT_EQ(marks(), (std::vector<bool>{false, true}));
    EXPECT_EQ(resume(), "1 fichiers seront renommés sur les 4 présents (1 existent déjà).");
}

TEST_F(PreviewTest, RefusalLeavesEveryNewNameEmpty) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    w.genericName.setText("");
    EXPECT_EQ(rows(), (Rows{{"a.jpg", "", ""}, {"b.jpg", "", ""}}));
    EXPECT_EQ(resume(), "Le nom générique n'est pas défini");

    w.genericName.setText("_Vacances");
    w.startIndex.setText("32767");
    EXPECT_EQ(resume(), "Le dernier des 2 fichiers recevrait le numéro 32769, hors de la plage de "
                        "-32768 à 32767. Choisissez un autre numéro de départ ou un autre "
                        "incrément.");
    EXPECT_EQ(rows(), (Rows{{"a.jpg", "", ""}, {"b.jpg", "", ""}}));
    // The summary is the run's own refusal, word for word.
    w.renameButton.click();
    EXPECT_EQ(texts().front(), resume());
}

TEST_F(PreviewTest, FollowsTypesFoldersAndTheDiskAfterARun) {
    const std::string photos = temp.folder("Photos");
    const std::string album = temp.folder("Album");
    for (const char* name : {"IMG_001.jpg", "IMG_002.jpg", "note.txt"})
        temp.file(std::string("Photos/") + name);
    temp.file("Album/01_Vacances.gif");
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    w.targetType.setText("gif");
    EXPECT_EQ(rows()[0][1], "01_Vacances.gif");

    // Into another folder, where the first name is taken once the target list shows gifs.
    ASSERT_EQ(w.targetFolders.setPath(album), 0);
    w.targetType.pick("gif");
    EXPECT_EQ(rows(), (Rows{{"IMG_001.jpg", "01_Vacances.gif", "existe déjà"},
                            {"IMG_002.jpg", "01_Vacances.gif", "existe déjà"}}));
    w.sourceType.pick("*");
    EXPECT_EQ(liste().count(), 3);

    w.targetType.pick("jpg");
    w.sourceType.pick("jpg");
    ASSERT_EQ(w.targetFolders.setPath(photos), 0);
    // Picking a source type proposes a generic name from the first file.
    w.genericName.setText("_Vacances");
    w.renameButton.click();
    // The run renamed both: each is now offered a name that is taken.
    EXPECT_EQ(rows(), (Rows{{"01_Vacances.jpg", "01_Vacances.jpg", "existe déjà"},
                            {"03_Vacances.jpg", "01_Vacances.jpg", "existe déjà"}}));
}

// Into another folder the run copies: the summary says where, the same-folder text stays.
TEST_F(PreviewTest, TheSummarySaysWhereTheCopiesGo) {
    const std::string photos = temp.folder("Photos");
    const std::string album = temp.folder("Album");
    temp.file("Photos/IMG_001.jpg");
    temp.file("Album/01_Vacances.jpg");
    MainWindow& w = vacances(photos);
    w.mnuApercu.click();
    EXPECT_EQ(resume(), "1 fichiers seront renommés sur les 1 présents.");
    ASSERT_EQ(w.targetFolders.setPath(album), 0);
    EXPECT_EQ(resume(), "0 fichiers seront renommés sur les 1 présents (1 existent déjà). Les "
                        "originaux restent en place : copie vers " +
                            album + ".");
    // A refusal is the whole summary.
    w.genericName.setText("");
    EXPECT_EQ(resume().find("copie vers"), std::string::npos);
}

TEST_F(PreviewTest, OneWindowClosedByItsCloseBox) {
    temp.file("Photos/a.jpg");
    MainWindow& w = vacances(temp / "Photos");
    w.mnuApercu.click();
    Form* first = w.preview().form();
    w.mnuApercu.click();
    EXPECT_EQ(w.preview().form(), first);
    EXPECT_EQ(std::count(toolkit.openForms().begin(), toolkit.openForms().end(), first), 1);
    first->onClose();
    EXPECT_EQ(w.preview().form(), nullptr);
    EXPECT_EQ(std::count(toolkit.openForms().begin(), toolkit.openForms().end(), first), 0);
    // Closed, it plans nothing; opened again, it shows the state of now.
    w.genericName.setText("_Ete");
    w.mnuApercu.click();
    EXPECT_EQ(rows()[0][1], "01_Ete.jpg");
}

TEST_F(PreviewTest, APlanOvertakenByAChangeIsDroppedForTheLatest) {
    temp.file("Photos/a.jpg");
    DeferringToolkit later;
    MainWindow w(Services{later, fs, settings, pictures, shell, clock, {programFolder, "quorvel"}},
                 later);
    w.startUp();
    ASSERT_EQ(w.sourceFolders.setPath(temp / "Photos"), 0);
    w.digitOptions[0]->click();
    w.mnuApercu.click();
    ASSERT_EQ(later.pending(), 1u);
    // Changes while the plan is under way start none of their own.
    w.genericName.setText("_Ete");
    w.genericName.setText("_Hiver");
    EXPECT_EQ(later.pending(), 1u);
    auto& table = *static_cast<Table*>(w.preview().form()->find("Liste"));
    later.finish(0);
    EXPECT_EQ(table.count(), 0) << "the stale plan is not shown";
    ASSERT_EQ(later.pending(), 1u);
    later.finish(0);
    ASSERT_EQ(table.count(), 1);
    EXPECT_EQ(table.cell(0, 1), "01_Hiver.jpg");
    // Closed while a plan is under way, the window is left alone by it.
    w.genericName.setText("_Printemps");
    w.preview().form()->onClose();
    later.finish(0);
    EXPECT_EQ(w.preview().form(), nullptr);
}

// Records what the run did to each file.
class RunRecord : public BatchObserver {
public:
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override {
        const std::string name = item.source.substr(item.source.rfind('/') + 1);
        const std::string target = item.target.substr(item.target.rfind('/') + 1);
        items.push_back({name, outcome.outcome == Outcome::Done ? target : "", outcome.outcome});
    }
    struct Item {
        std::string name;
        std::string newName;
        Outcome outcome;
        bool operator==(const Item&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Item& item) {
            return out << item.name << " -> " << item.newName << " ("
                       << static_cast<int>(item.outcome) << ")";
        }
    };
    std::vector<Item> items;
};

// Many random folders, panels and schemes: the names the preview shows are those the run
// then gives, file by file, and a refused batch is refused in the same words.
TEST_F(PreviewTest, ShowsExactlyWhatTheRunThenDoes) {
    MainWindow& w = start();
    RunRecord record;
    w.batch().setObserver(&record);
    w.mnuApercu.click();
    w.noWarningBox.setValue(true);
    std::mt19937 random(20261208);
    const auto pick = [&random](int n) {
        return static_cast<int>(std::uniform_int_distribution<int>(0, n - 1)(random));
    };
    const std::vector<std::string> pool = {"IMG_1.jpg", "IMG_2.JPG", "IMG_10.jpg", "x.jpg",
                                           "01_V.jpg",  "02_V.jpg",  "V03.jpg",    "V (01).jpg",
                                           "b.gif",     "c.jpg",     "1_V.jpg",    "d.jpg"};
    const std::time_t base = localTime(2023, 5, 1, 8, 0, 0);
    // Photos of two cameras a few seconds apart, some in the same second, and files that
    // are no photo: the capture order, the offsets and the same-second suffixes at random.
    const auto photo = [&pick] {
        if (pick(3) == 0)
            return std::string("x");
        const std::string taken = "2023:05:01 08:00:0" + std::to_string(pick(4));
        const testing::ByteVector bytes = testing::jpegWith(testing::tiffBlock(
            {true, taken, {}, false, 42, "", 0}, pick(2) == 0 ? "Canon" : "NIKON", "D750"));
        return std::string(bytes.begin(), bytes.end());
    };
    for (int round = 0; round < 100; ++round) {
        const std::string source = temp.folder("r" + std::to_string(round) + "/s");
        std::string target = source;
        for (const std::string& name : pool) {
            if (pick(3) != 0)
                temp.file("r" + std::to_string(round) + "/s/" + name, base + pick(3), photo());
        }
        for (MenuItem* option : {&w.mnuExif, &w.mnuOrdre, &w.mnuSeconde}) {
            if (pick(2) == 0)
                option->click();
        }
        auto offsets = std::make_shared<CameraOffsets>();
        for (const char* camera : {"Canon D750", "NIKON D750", "Sans appareil"})
            offsets->seconds[camera] = pick(3) == 0 ? 0 : 1 - pick(3);
        w.captureOptions.offsets = std::move(offsets);
        if (pick(3) == 0) {
            target = temp.folder("r" + std::to_string(round) + "/t");
            for (const char* name : {"01_V.jpg", "V02.jpg", "2023_05_01_080001.jpg"})
                if (pick(2) == 0)
                    temp.file("r" + std::to_string(round) + "/t/" + name);
        }
        openSource(source);
        ASSERT_EQ(w.targetFolders.setPath(target), 0);
        w.genericName.setText(pick(8) == 0 ? "" : "V");
        w.startIndex.setText(pick(10) == 0 ? "32766" : std::to_string(pick(4)));
        w.stepBox.pick(std::to_string(1 + pick(4)));
        w.schemeOptions[static_cast<std::size_t>(pick(5))]->click();
        w.digitOptions[static_cast<std::size_t>(pick(3))]->click();
        w.targetType.setText(pick(4) == 0 ? "gif" : "jpg");
        for (int row = 0; row < w.sourceFiles.count(); ++row) {
            if (pick(4) == 0)
                w.sourceFiles.toggle(row);
        }
        const Rows shown = rows();
        const std::string summary = resume();
        record.items.clear();
        texts();
        w.noWarningBox.setValue(true);
        w.renameButton.click();
        const std::vector<std::string> said = texts();
        SCOPED_TRACE("round " + std::to_string(round));
        if (summary.find(" fichiers seront renommés") == std::string::npos) {
            EXPECT_TRUE(record.items.empty());
            ASSERT_FALSE(said.empty());
            EXPECT_EQ(said.front(), summary);
            continue;
        }
        std::vector<RunRecord::Item> expected;
        for (const auto& row : shown) {
            const bool moved = row[2].rfind("décalage", 0) == 0;
            const Outcome outcome = row[2].empty() || moved               ? Outcome::Done
                                    : row[2].rfind("existe déjà", 0) == 0 ? Outcome::Collision
                                                                          : Outcome::Refused;
            expected.push_back({row[0], outcome == Outcome::Done ? row[1] : "", outcome});
        }
        EXPECT_EQ(record.items, expected);
    }
}

} // namespace
} // namespace quorvel::test
