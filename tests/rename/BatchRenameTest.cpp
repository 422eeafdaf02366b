#include "rename/BatchRename.h"

#include "batch/Batch.h"
#include "platform/ExifSamples.h"
#include "rename/NameComposer.h"
#include "support/Window.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

class BatchRenameTest : public WindowTest {
protected:
    // The panel's "OK", after checking what the panel shows.
    std::function<void()> ok(const std::string& label) {
        return [this, label] {
            EXPECT_TRUE(window->problemPanel.visible());
            EXPECT_EQ(window->problemText.caption(), label);
            window->problemOk.click();
        };
    }
    void expectEndOfRun() {
        EXPECT_FALSE(window->noWarningBox.value());
        EXPECT_FALSE(toolkit.busy());
        EXPECT_FALSE(window->problemPanel.visible());
        EXPECT_FALSE(window->batch().running());
    }
};

TEST_F(BatchRenameTest, WorkedExampleInPlaceThenItsCollisions) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"})
        temp.file(std::string("Photos/") + name, name);
    MainWindow& w = vacances(photos);
    w.renameButton.click();
    const Names renamed{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg"};
    EXPECT_EQ(namesIn(photos), renamed);
    EXPECT_EQ(readFile(photos + "/03_Vacances.jpg"), "IMG_002.jpg");
    EXPECT_EQ(w.sourceFiles.rows(), renamed);
    EXPECT_EQ(w.targetFiles.rows(), renamed);
    EXPECT_EQ(w.targetStatus.text(), "    3 fichiers de type jpg");
    ASSERT_EQ(toolkit.events().size(), 1u);
    EXPECT_EQ(lastEvent().title, "Renommer");
    EXPECT_EQ(lastEvent().icon, Icon::None);
    EXPECT_EQ(texts(), Names{"3 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(w.batch().variables().rank, 5);
    EXPECT_EQ(w.batch().variables().rankText, "05");
    EXPECT_EQ(w.batch().variables().lastTarget, photos + "/05_Vacances.jpg");
    EXPECT_EQ(w.problemText.caption(), "");
    EXPECT_EQ(fs.calls(FsOp::Copy), 0);
    expectEndOfRun();

    // Run again: the number never advances, so every file is offered 01_Vacances.jpg.
    const std::string label = "01_Vacances.jpg existe déjà !";
    duringWaits({ok(label), ok(label), ok(label)});
    w.renameButton.click();
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(namesIn(photos), renamed);
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(w.problemText.caption(), label);
    EXPECT_EQ(w.targetStatus.text(), "    3 fichiers de type jpg");
    expectEndOfRun();
}

TEST_F(BatchRenameTest, WorkedExampleIntoAnotherFolderLeavesTheSourcesAndKeepsTheirTimes) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    const Names sources{"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"};
    for (std::size_t i = 0; i < sources.size(); ++i)
        temp.file("Photos/" + sources[i], localTime(2006, 7, 14, 10, 0, static_cast<int>(i)),
                  sources[i]);
    temp.file("Tri/old.gif");
    MainWindow& w = vacances(photos);
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"3 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(namesIn(photos), sources);
    EXPECT_EQ(namesIn(tri),
              (Names{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg", "old.gif"}));
    EXPECT_EQ(readFile(tri + "/05_Vacances.jpg"), "IMG_003.jpg");
    EXPECT_EQ(modificationTime(tri + "/05_Vacances.jpg"), localTime(2006, 7, 14, 10, 0, 2));
    EXPECT_EQ(w.sourceFiles.rows(), sources);
    EXPECT_EQ(w.targetStatus.text(), "    3 fichiers de type jpg");
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);

    duringWaits({ok("01_Vacances.jpg existe déjà !"), ok("01_Vacances.jpg existe déjà !"),
                 ok("01_Vacances.jpg existe déjà !")});
    w.renameButton.click();
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(namesIn(tri),
              (Names{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg", "old.gif"}));
    EXPECT_EQ(namesIn(photos), sources);
    expectEndOfRun();
}

TEST_F(BatchRenameTest, SelectionIsNumberedAmongItselfAndSchemeTwoHasItsBlank) {
    const std::string folder = temp.folder("f");
    for (int i = 1; i <= 10; ++i)
        temp.file("f/p" + std::to_string(i) + ".jpg");
    MainWindow& w = start();
    openSource(folder);
    w.genericName.setText("_Fichier");
    w.startIndex.setText("98");
    w.stepBox.pick("2");
    w.digitOptions[0]->click();
    w.schemeOptions[2]->click();
    w.sourceFiles.toggle(7);
    w.sourceFiles.toggle(2);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 10 présents."});
    // The width is a minimum: 98, then 100.
    EXPECT_TRUE(exists(folder + "/_Fichier (98).jpg"));
    EXPECT_TRUE(exists(folder + "/_Fichier (100).jpg"));
    EXPECT_EQ(readFile(folder + "/_Fichier (98).jpg"), "x");
    EXPECT_FALSE(exists(folder + "/p3.jpg"));
    EXPECT_FALSE(exists(folder + "/p8.jpg"));
    EXPECT_EQ(namesIn(folder).size(), 10u);
    EXPECT_EQ(w.sourceFiles.selectedCount(), 0);
}

TEST_F(BatchRenameTest, TimeStampsComeFromEachFileAndEqualTimesCollide) {
    const std::string folder = temp.folder("f");
    const std::time_t noon = localTime(2007, 1, 15, 14, 30, 5);
    temp.file("f/a.jpg", noon, "a");
    temp.file("f/b.jpg", noon, "b");
    temp.file("f/c.jpg", noon + 3600, "c");
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    duringWaits({ok("2007_01_15_143005.jpg existe déjà !")});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(namesIn(folder), (Names{"2007_01_15_143005.jpg", "2007_01_15_153005.jpg", "b.jpg"}));
    EXPECT_EQ(readFile(folder + "/2007_01_15_143005.jpg"), "a");

    // Scheme 4 numbers the stamps; a file whose time cannot be read is named in the result.
    w.schemeOptions[4]->click();
    w.startIndex.setText("7");
    fs.failNth(FsOp::ModificationTime, 2, EIO);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                             "2007_01_15_153005.jpg : date de modification illisible (erreur de "
                             "lecture ou d'écriture sur le disque)"});
    EXPECT_EQ(namesIn(folder), (Names{"07_2007_01_15_143005.jpg", "08_2007_01_15_143005.jpg",
                                      "2007_01_15_153005.jpg"}));
    expectEndOfRun();
}

TEST_F(BatchRenameTest, CheckOneSkipsTheRestAndASecondClickStartsNothing) {
    const std::string folder = temp.folder("f");
    for (const char* name : {"01_X.jpg", "a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("f/") + name);
    MainWindow& w = start();
    openSource(folder);
    w.genericName.setText("_X");
    duringWaits({[&] {
        EXPECT_TRUE(w.batch().running());
        EXPECT_TRUE(toolkit.busy());
        w.renameButton.click();
        EXPECT_TRUE(toolkit.events().empty());
        w.noWarningBox.click();
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 4 présents."});
    EXPECT_EQ(namesIn(folder), (Names{"01_X.jpg", "a.jpg", "b.jpg", "c.jpg"}));
    expectEndOfRun();
}

TEST_F(BatchRenameTest, ChangesDuringTheWaitApplyToTheFilesThatFollow) {
    const std::string folder = temp.folder("f");
    for (const char* name : {"01_X.jpg", "a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("f/") + name);
    MainWindow& w = start();
    openSource(folder);
    w.genericName.setText("_X");
    duringWaits({[&] {
        // Another program removes b.jpg and the user re-reads the list: the walk keeps its
        // rows and reports the file that is gone.
        std::remove((folder + "/b.jpg").c_str());
        w.sourceFiles.refresh();
        w.startIndex.setText("5");
        w.targetType.setText("gif");
        w.stepBox.pick("2");
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"3 fichiers ont été renommés sur les 5 présents.\r\n\r\n"
                             "b.jpg : fichier introuvable"});
    EXPECT_EQ(namesIn(folder), (Names{"01_X.jpg", "05_X.gif", "07_X.gif", "09_X.gif"}));
    expectEndOfRun();
}

// The target folder goes away while the run waits: the files that follow fail because of
// the folder, not because they are missing.
TEST_F(BatchRenameTest, ATargetFolderGoneDuringTheWaitIsReportedAsSuch) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    for (const char* name : {"01_Vacances.jpg", "a.jpg", "b.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = vacances(photos);
    w.sourceFiles.setSelected(1, true);
    w.sourceFiles.setSelected(2, true);
    duringWaits({[&] {
        ASSERT_EQ(w.targetFolders.setPath(tri), 0);
        std::remove(tri.c_str());
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                             "b.jpg : dossier de destination introuvable"});
    expectEndOfRun();
}

// In place up to the wait, then copies into the folder the user picked meanwhile, then
// in place again once both panes show one folder.
TEST_F(BatchRenameTest, FoldersPickedDuringTheWaitTakeTheFilesThatFollow) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name);
    temp.file("Tri/03_Vacances.jpg");
    MainWindow& w = vacances(photos);
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    duringWaits({[&] {
                     ASSERT_EQ(w.targetFolders.setPath(photos), 0);
                     w.problemOk.click();
                 },
                 ok("05_Vacances.jpg existe déjà !")});
    temp.file("Photos/05_Vacances.jpg");
    w.sourceFiles.refresh();
    for (int row = 1; row <= 4; ++row)
        w.sourceFiles.setSelected(row, true);
    w.renameButton.click();
    // a.jpg goes to Tri as 01; b.jpg meets Tri's 03 and waits; Photos is the target from
    // then on: c.jpg becomes 03 in place, and d.jpg meets the 05 that is there.
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(namesIn(tri), (Names{"01_Vacances.jpg", "03_Vacances.jpg"}));
    EXPECT_EQ(namesIn(photos),
              (Names{"03_Vacances.jpg", "05_Vacances.jpg", "a.jpg", "b.jpg", "d.jpg"}));
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 5 présents."});
    expectEndOfRun();
}

// During the wait the source pane is set to another folder, which takes the target pane
// along. The walk's files are still those of
// the folder it began in: the other folder's b.jpg is not the b.jpg that was selected.
TEST_F(BatchRenameTest, ANewSourceFolderDuringTheWaitTouchesNoneOfItsFiles) {
    const std::string photos = temp.folder("Photos");
    const std::string other = temp.folder("Autre");
    temp.file("Photos/01_Vacances.jpg", localTime(2006, 7, 14, 10, 0, 0), "old");
    temp.file("Photos/a.jpg", localTime(2006, 7, 14, 10, 0, 1), "a");
    temp.file("Photos/b.jpg", localTime(2006, 7, 14, 10, 0, 2), "selected b");
    temp.file("Autre/b.jpg", localTime(2006, 7, 14, 10, 0, 3), "other b");
    MainWindow& w = vacances(photos);
    w.sourceFiles.setSelected(1, true);
    w.sourceFiles.setSelected(2, true);
    duringWaits({[&] {
                     ASSERT_EQ(w.sourceFolders.setPath(other), 0);
                     ASSERT_EQ(w.targetFiles.path(), other);
                     w.genericName.setText("_Vacances"); // the new folder proposed its own
                 },
                 [&] {
                     EXPECT_TRUE(toolkit.busy());
                     w.problemOk.click();
                 }});
    w.renameButton.click();
    EXPECT_EQ(waits, 2);
    EXPECT_EQ(texts(), Names{"1 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(namesIn(photos), (Names{"01_Vacances.jpg", "a.jpg", "b.jpg"}));
    EXPECT_EQ(namesIn(other), (Names{"01_Vacances.jpg", "b.jpg"}));
    EXPECT_EQ(readFile(other + "/b.jpg"), "other b");
    EXPECT_EQ(readFile(other + "/01_Vacances.jpg"), "selected b");
    EXPECT_EQ(*w.batch().variables().lastSource, other + "/b.jpg");
    expectEndOfRun();
}

// The target list filters on the type picked before the user typed another one: a file
// offered its own name does not find it listed, and finds it taken on disk.
TEST_F(BatchRenameTest, AFileOfferedItsOwnNameCollidesAndIsNotCounted) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/01_Vacances.tif");
    MainWindow& w = vacances(photos);
    w.sourceType.pick("tif");
    w.targetType.pick("jpg");
    w.targetType.setText("tif");
    w.genericName.setText("_Vacances"); // the new list proposed its own
    ASSERT_EQ(w.sourceFiles.rows(), Names{"01_Vacances.tif"});
    ASSERT_TRUE(w.targetFiles.rows().empty());
    duringWaits({ok("01_Vacances.tif existe déjà !")});
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 1 présents."});
    EXPECT_EQ(namesIn(photos), Names{"01_Vacances.tif"});
    EXPECT_EQ(fs.calls(FsOp::Rename), 1);
    expectEndOfRun();
}

// Closing the window during the wait asks first; Yes stops the run with the file in hand,
// shows what it did, then closes the window.
TEST_F(BatchRenameTest, ClosingTheWindowDuringTheWaitStopsTheRunThenCloses) {
    const std::string folder = temp.folder("f");
    for (const char* name : {"01_X.jpg", "a.jpg", "b.jpg"})
        temp.file(std::string("f/") + name);
    MainWindow& w = start();
    openSource(folder);
    w.genericName.setText("_X");
    duringWaits({[&] {
        toolkit.queueAnswer(true);
        w.form.onClose();
    }});
    w.renameButton.click();
    EXPECT_TRUE(w.closed());
    EXPECT_EQ(texts(), (Names{"Un lot est en cours : l'arrêter et quitter ?",
                              "0 fichiers ont été renommés sur les 3 présents.\r\n"
                              "Lot arrêté : 2 fichiers n'ont pas été traités."}));
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_EQ(namesIn(folder), (Names{"01_X.jpg", "a.jpg", "b.jpg"}));
    EXPECT_FALSE(w.noWarningBox.value());
    EXPECT_FALSE(toolkit.busy());
    EXPECT_FALSE(w.batch().running());
    EXPECT_EQ(*settings.read("quorvel", "Data", "T1"), "_X");
}

TEST_F(BatchRenameTest, LongRunShowsItsProgressAndClearsIt) {
    const std::string folder = temp.folder("f");
    const std::time_t noon = localTime(2007, 1, 15, 12, 0, 0);
    temp.file("f/a.jpg", noon);
    temp.file("f/b.jpg", noon);
    temp.file("f/c.jpg", noon + 1);
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    duringWaits({[&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(600));
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(toolkit.progress(), (Names{"Renommage : 2 / 3", ""}));
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 3 présents."});
}

TEST_F(BatchRenameTest, FilesCreatedBehindTheProgramsBackAreNeverReplaced) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    temp.file("Photos/a.jpg", "a");
    temp.file("Photos/b.jpg", "b");
    MainWindow& w = start();
    openSource(photos);
    w.genericName.setText("_X");
    // Listed neither in File2 nor in the run's names.
    temp.file("Photos/02_X.jpg", "other");
    duringWaits({[&] {
        EXPECT_EQ(w.problemText.caption(), "02_X.jpg existe déjà !");
        // The panel comes with the target list as it is on disk.
        EXPECT_EQ(w.targetFiles.indexOf("02_X.jpg"), 1);
        // Its status line is rewritten once, when the run ends.
        EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(texts(), Names{"1 fichiers ont été renommés sur les 2 présents."});
    EXPECT_EQ(readFile(photos + "/02_X.jpg"), "other");
    EXPECT_EQ(readFile(photos + "/b.jpg"), "b");

    // Into another folder, with "Continuer sans m'avertir" ticked at the panel.
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    temp.file("Tri/01_X.jpg", "other");
    duringWaits({[&] {
        w.noWarningBox.click();
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"0 fichiers ont été renommés sur les 3 présents."});
    EXPECT_EQ(namesIn(tri), Names{"01_X.jpg"});
    EXPECT_EQ(readFile(tri + "/01_X.jpg"), "other");
    expectEndOfRun();
}

TEST_F(BatchRenameTest, FailedRenamesAndCopiesAreNotCountedAndAreNamed) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name, name);
    MainWindow& w = start();
    openSource(photos);
    w.genericName.setText("_X");
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    fs.failNth(FsOp::Copy, 1, ENOSPC);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                             "a.jpg : disque plein"});
    EXPECT_EQ(namesIn(tri), (Names{"01_X.jpg", "02_X.jpg"}));
    EXPECT_EQ(readFile(tri + "/01_X.jpg"), "b.jpg");

    ASSERT_EQ(w.targetFolders.setPath(photos), 0);
    fs.failNth(FsOp::Rename, 1, EACCES);
    fs.failNth(FsOp::Rename, 3, EROFS);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"1 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                             "a.jpg : accès refusé\r\n"
                             "c.jpg : support en lecture seule"});
    EXPECT_EQ(namesIn(photos), (Names{"01_X.jpg", "a.jpg", "c.jpg"}));
    EXPECT_EQ(readFile(photos + "/01_X.jpg"), "b.jpg");
    expectEndOfRun();
}

TEST_F(BatchRenameTest, RefusalsTouchNothing) {
    const std::string folder = temp.folder("f");
    temp.file("f/a.jpg", localTime(2007, 1, 15, 14, 30, 5));
    temp.file("f/b.jpg", localTime(2007, 1, 15, 14, 30, 6));
    MainWindow& w = start();
    openSource(folder);
    const auto refused = [&](const std::function<void()>& set, const std::string& text) {
        w.genericName.setText("_X");
        w.startIndex.setText("1");
        w.targetType.setText("jpg");
        w.composer().variables().increment = 1;
        w.schemeOptions[0]->click();
        set();
        w.renameButton.click();
        ASSERT_EQ(toolkit.events().size(), 2u) << text;
        EXPECT_EQ(toolkit.events()[0].icon, Icon::Error);
        EXPECT_EQ(toolkit.events()[0].title, "Renommer");
        EXPECT_EQ(texts(), (Names{text, "0 fichiers ont été renommés sur les 0 présents."}));
        expectEndOfRun();
    };
    refused([&] { w.genericName.setText(""); }, "Le nom générique n'est pas défini");
    refused([&] { w.startIndex.setText(""); }, "Le numéro d'ordre n'est pas défini");
    refused([&] { w.genericName.setText("Été/2007"); },
            "Le nom générique contient le caractère « / », interdit dans un nom de fichier.");
    refused([&] { w.targetType.setText("*"); },
            "L'extension cible contient le caractère « * », interdit dans un nom de fichier. "
            "Choisissez une extension précise.");
    refused([&] { w.startIndex.setText("40000"); },
            "Le numéro de départ 40000 doit être compris de -32768 à 32767.");
    refused([&] { w.composer().variables().increment = -40000; },
            "L'incrément -40000 doit être compris de -32768 à 32767.");
    refused([&] { w.startIndex.setText("32767"); },
            "Le dernier des 2 fichiers recevrait le numéro 32768, hors de la plage de -32768 à "
            "32767. Choisissez un autre numéro de départ ou un autre incrément.");
    // 2 digits + 250 + ".jpg": one byte too many.
    refused([&] { w.genericName.setText(std::string(250, 'n')); },
            "Les nouveaux noms feraient jusqu'à 256 octets, alors qu'un nom de fichier en "
            "compte 255 au plus. Raccourcissez le nom générique ou l'extension.");
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_EQ(namesIn(folder), (Names{"a.jpg", "b.jpg"}));

    // At the limits the run goes ahead; a name the time stamp scheme does not use is no
    // reason to refuse.
    w.genericName.setText(std::string(246, 'n'));
    w.startIndex.setText("32766");
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 2 présents."});
    EXPECT_TRUE(exists(folder + "/32767" + std::string(246, 'n') + ".jpg"));
    w.genericName.setText("a/b");
    w.schemeOptions[3]->click();
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 2 présents."});
    EXPECT_EQ(namesIn(folder), (Names{"2007_01_15_143005.jpg", "2007_01_15_143006.jpg"}));
}

// The preview asks the plan; it must name every file as the run then does, collisions
// included, and touch nothing.
TEST_F(BatchRenameTest, ThePlanGivesTheNamesTheRunGives) {
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    for (const char* name : {"03_X.jpg", "a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name, name);
    temp.file("Tri/02_X.jpg");
    MainWindow& w = start();
    openSource(photos);
    w.genericName.setText("_X");
    Names rows;
    const auto planned = [&] {
        rows.clear();
        return w.batch().plan([&](const PlanRow& row) {
            rows.push_back(row.name + " " + row.newName + " " +
                           std::to_string(static_cast<int>(row.outcome.outcome)));
        });
    };
    // In place, a renamed file frees its old name for the files that follow.
    RunPlan plan = planned();
    EXPECT_EQ(rows, (Names{"03_X.jpg 01_X.jpg 0", "a.jpg 02_X.jpg 0", "b.jpg 03_X.jpg 0",
                           "c.jpg 04_X.jpg 0"}));
    EXPECT_EQ(plan.renamed, 4);
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    w.renameButton.click();
    EXPECT_EQ(namesIn(photos), (Names{"01_X.jpg", "02_X.jpg", "03_X.jpg", "04_X.jpg"}));
    EXPECT_EQ(readFile(photos + "/03_X.jpg"), "b.jpg");

    // Into a folder that holds a name: the numbers stop at the first collision.
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    w.sourceFiles.toggle(0);
    w.sourceFiles.toggle(2);
    w.sourceFiles.toggle(3);
    plan = planned();
    EXPECT_EQ(rows, (Names{"01_X.jpg 01_X.jpg 0", "03_X.jpg 02_X.jpg 1", "04_X.jpg 02_X.jpg 1"}));
    EXPECT_EQ(fs.calls(FsOp::Copy), 0);
    duringWaits({[&] {
        w.noWarningBox.click();
        w.problemOk.click();
    }});
    toolkit.clearEvents();
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"1 fichiers ont été renommés sur les 4 présents."});
    EXPECT_EQ(namesIn(tri), (Names{"01_X.jpg", "02_X.jpg"}));

    // A refused batch: the plan holds the run's refusal and no name.
    w.genericName.setText("a*");
    plan = planned();
    EXPECT_EQ(rows, (Names{"01_X.jpg  0", "02_X.jpg  0", "03_X.jpg  0", "04_X.jpg  0"}));
    w.renameButton.click();
    EXPECT_EQ(texts().front(), plan.refusal);
}

// Such names would vanish from both lists, though the run counted them.
TEST_F(BatchRenameTest, NamesThatWouldBeHiddenAreRefusedBeforeAnyFile) {
    const std::string folder = temp.folder("f");
    temp.file("f/a.jpg");
    temp.file("f/b.jpg");
    MainWindow& w = start();
    openSource(folder);
    const std::string hidden = "Les nouveaux noms seraient refusés : Un nom ne peut pas commencer "
                               "par « . » : le fichier serait caché et le programme ne pourrait "
                               "plus le montrer.";
    for (const auto& [generic, scheme] : {std::pair<std::string, int>{".", 1}, {".hid", 2}}) {
        w.genericName.setText(generic);
        w.schemeOptions[static_cast<std::size_t>(scheme)]->click();
        toolkit.clearEvents();
        w.renameButton.click();
        EXPECT_EQ(texts(), (Names{hidden, "0 fichiers ont été renommés sur les 0 présents."}));
        EXPECT_EQ(namesIn(folder), (Names{"a.jpg", "b.jpg"}));
        EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    }
}

// Told before the disk changes, and told each outcome; the sync comes once, and a failed
// one is no success.
TEST_F(BatchRenameTest, TheRunIsJournaledAndSyncedOnce) {
    struct Recorder : BatchObserver {
        void begins(const BatchInfo& info) override { kinds.push_back(info.kind); }
        void beforeGroup(std::span<const WorkItem> group) override {
            ++groups;
            for (const WorkItem& item : group)
                announced += exists(item.source) && !exists(item.target) ? 1 : 100;
        }
        void afterItem(const WorkItem&, const ItemOutcome& outcome) override {
            outcomes.push_back(outcome.outcome);
        }
        std::vector<BatchKind> kinds;
        int announced = 0;
        int groups = 0;
        std::vector<Outcome> outcomes;
    } recorder;
    const std::string photos = temp.folder("Photos");
    const std::string tri = temp.folder("Tri");
    temp.file("Photos/a.jpg");
    temp.file("Photos/b.jpg");
    MainWindow& w = start();
    openSource(photos);
    w.genericName.setText("_X");
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    w.batch().setObserver(&recorder);
    fs.failNth(FsOp::Sync, 1, EIO);
    toolkit.clearEvents();
    w.renameButton.click();
    EXPECT_EQ(recorder.kinds, std::vector<BatchKind>{BatchKind::RenameRun});
    // Both copies announced together, before either was made.
    EXPECT_EQ(recorder.announced, 2);
    EXPECT_EQ(recorder.groups, 1);
    EXPECT_EQ(recorder.outcomes, (std::vector<Outcome>{Outcome::Done, Outcome::Done}));
    EXPECT_EQ(fs.calls(FsOp::Sync), 1);
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(
        texts(),
        Names{
            "2 fichiers ont été renommés sur les 2 présents.\r\nAttention : "
            "l'écriture sur le disque n'a pas pu être confirmée (erreur de "
            "lecture ou d'écriture sur le disque). Les fichiers renommés ou copiés pourraient être "
            "perdus ou incomplets : ne supprimez pas les originaux avant "
            "d'avoir vérifié les copies."});

    // Nothing written, nothing to sync.
    duringWaits({[&] {
        w.noWarningBox.click();
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(recorder.outcomes.back(), Outcome::Collision);
    EXPECT_EQ(fs.calls(FsOp::Sync), 1);
    expectEndOfRun();
}

// What the disk holds beyond the lists moves the numbers of the files that follow: they are
// foreseen again and told before they change, a name found taken stays taken without
// asking the disk again, and a wait starts the foresight afresh with the panel as it is.
TEST_F(BatchRenameTest, SurprisesOnTheDiskAreForeseenAgainBeforeTheyChangeAnything) {
    struct Recorder : BatchObserver {
        void beforeGroup(std::span<const WorkItem> group) override {
            ++groups;
            for (const WorkItem& item : group)
                announced.insert(item.source + " > " + item.target);
        }
        void afterItem(const WorkItem& item, const ItemOutcome& outcome) override {
            if (outcome.outcome == Outcome::Done &&
                announced.count(item.source + " > " + item.target) == 0)
                unannounced.push_back(item.target);
        }
        std::set<std::string> announced;
        Names unannounced;
        int groups = 0;
    } recorder;
    const std::string photos = temp.folder("Photos");
    for (int i = 0; i < 10; ++i)
        temp.file("Photos/IMG_0" + std::to_string(i) + ".jpg");
    MainWindow& w = vacances(photos);
    w.batch().setObserver(&recorder);
    // Behind the lists' back: a file gone, a name taken.
    std::remove((photos + "/IMG_01.jpg").c_str());
    temp.file("Photos/05_Vacances.jpg");
    duringWaits({[&] {
        w.startIndex.setText("21");
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(namesIn(photos),
              (Names{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg", "25_Vacances.jpg",
                     "27_Vacances.jpg", "29_Vacances.jpg", "31_Vacances.jpg", "33_Vacances.jpg",
                     "35_Vacances.jpg", "IMG_03.jpg"}));
    EXPECT_TRUE(recorder.unannounced.empty()) << recorder.unannounced.front();
    EXPECT_TRUE(texts().front().starts_with("8 fichiers ont été renommés sur les 10 présents."));

    // Ticked: the taken name refuses every file that follows, and the disk is asked once.
    const std::string tri = temp.folder("Tri");
    for (int i = 0; i < 10; ++i)
        temp.file("Tri/IMG_0" + std::to_string(i) + ".jpg");
    openSource(tri);
    ASSERT_EQ(w.targetFolders.setPath(tri), 0);
    w.genericName.setText("_Vacances");
    w.startIndex.setText("1");
    temp.file("Tri/05_Vacances.jpg");
    w.noWarningBox.click();
    const int renamesBefore = fs.calls(FsOp::Rename);
    w.renameButton.click();
    EXPECT_EQ(fs.calls(FsOp::Rename) - renamesBefore, 3);
    EXPECT_EQ(texts().back(), "2 fichiers ont été renommés sur les 10 présents.");
    EXPECT_TRUE(recorder.unannounced.empty());
    expectEndOfRun();

    // Named by their dates, the files that follow a taken name keep theirs: what was told
    // of them stands, and is not told again.
    const std::string dates = temp.folder("Dates");
    const std::time_t first = localTime(2007, 1, 15, 14, 30, 0);
    for (int i = 0; i < 6; ++i)
        temp.file("Dates/IMG_" + std::to_string(i) + ".jpg", first + i);
    openSource(dates);
    ASSERT_EQ(w.targetFolders.setPath(dates), 0);
    w.schemeOptions[3]->click();
    w.noWarningBox.click();
    for (const int i : {1, 4})
        temp.file("Dates/" + NameComposer::timeStamp(first + i) + ".jpg");
    recorder.groups = 0;
    w.renameButton.click();
    EXPECT_EQ(texts().back(), "4 fichiers ont été renommés sur les 6 présents.");
    EXPECT_EQ(recorder.groups, 1);
    EXPECT_TRUE(recorder.unannounced.empty());
}

// A JPEG whose EXIF holds the given dates, modified at `modified`.
void photo(const TempFolder& temp, const std::string& name, std::time_t modified,
           const std::optional<std::string>& original, const std::optional<std::string>& digitized,
           std::size_t cut = 0) {
    testing::ByteVector bytes =
        testing::jpegWith(testing::tiffBlock({true, original, digitized, false, 42, "", 0}));
    bytes.resize(bytes.size() - cut);
    temp.file(name, modified, std::string(bytes.begin(), bytes.end()));
}

TEST_F(BatchRenameTest, CaptureDatesNameThePhotosWhenTheOptionIsTicked) {
    const std::string folder = temp.folder("f");
    const std::time_t copied = localTime(2023, 5, 1, 8, 0, 0);
    photo(temp, "f/a.jpg", copied, "2007:01:15 14:30:05", "2007:01:15 14:31:00");
    photo(temp, "f/b.jpg", copied + 1, std::nullopt, "2006:12:24 23:59:59");
    photo(temp, "f/c.jpg", copied + 2, std::nullopt, std::nullopt);
    // Cut short inside its EXIF, and a file that is no photo at all: their file dates.
    photo(temp, "f/d.jpg", copied + 3, "2001:01:01 00:00:00", std::nullopt, 120);
    temp.file("f/e.jpg", localTime(2007, 1, 15, 14, 30, 5), "no photo");
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    w.exifDates = true;
    // The capture date and the file date of the same wall-clock time give the same name.
    duringWaits({ok("2007_01_15_143005.jpg existe déjà !")});
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"4 fichiers ont été renommés sur les 5 présents."});
    EXPECT_EQ(namesIn(folder), (Names{"2006_12_24_235959.jpg", "2007_01_15_143005.jpg",
                                      "2023_05_01_080002.jpg", "2023_05_01_080003.jpg", "e.jpg"}));
    expectEndOfRun();
}

TEST_F(BatchRenameTest, FileDatesStayWhileTheOptionIsUntickedOrTheDateUnreadable) {
    const std::string folder = temp.folder("f");
    const std::time_t copied = localTime(2023, 5, 1, 8, 0, 0);
    photo(temp, "f/a.jpg", copied, "2007:01:15 14:30:05", std::nullopt);
    photo(temp, "f/b.jpg", copied + 1, std::nullopt, std::nullopt);
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[4]->click();
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 2 présents."});
    EXPECT_EQ(namesIn(folder), (Names{"01_2023_05_01_080000.jpg", "02_2023_05_01_080001.jpg"}));

    // Ticked, a photo without a capture date whose file date fails keeps the run's line.
    w.exifDates = true;
    w.startIndex.setText("5");
    fs.failNth(FsOp::ModificationTime, 1, EIO);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"1 fichiers ont été renommés sur les 2 présents.\r\n\r\n"
                             "02_2023_05_01_080001.jpg : date de modification illisible "
                             "(erreur de lecture ou d'écriture sur le disque)"});
    EXPECT_EQ(namesIn(folder), (Names{"02_2023_05_01_080001.jpg", "05_2007_01_15_143005.jpg"}));
    expectEndOfRun();
}

} // namespace
} // namespace quorvel::test
