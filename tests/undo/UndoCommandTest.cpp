#include "rename/NameComposer.h"
#include "undo/UndoTestSupport.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Kind = ToolkitEvent::Kind;

class UndoCommandTest : public UndoWindowTest {
protected:
    // A folder of files whose content is their own name.
    std::string photos(const std::string& folder, const std::vector<std::string>& names) {
        const std::string path = temp.folder(folder);
        for (const std::string& name : names)
            temp.file(folder + "/" + name, name);
        return path;
    }
    void expectEachUnderItsOwnName(const std::string& folder,
                                   const std::vector<std::string>& names) {
        EXPECT_EQ(namesIn(folder), names);
        for (const std::string& name : names)
            EXPECT_EQ(readFile(folder + "/" + name), name);
    }
    void run() {
        window->renameButton.click();
        toolkit.clearEvents();
    }
    std::vector<std::string> journalFilesOnDisk() { return journal->batchFiles(); }
};

TEST_F(UndoCommandTest, ARunInPlaceIsUndoneAfterItsQuestion) {
    const std::vector<std::string> names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string folder = photos("Photos", names);
    MainWindow& w = start();
    EXPECT_FALSE(w.mnuAnnuler.enabled());
    openSource(folder);
    run();
    ASSERT_NE(namesIn(folder), names);
    EXPECT_TRUE(w.mnuAnnuler.enabled());

    undo();
    const auto& events = toolkit.events();
    ASSERT_EQ(events.size(), 5u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(events[static_cast<std::size_t>(i)].kind, Kind::Beep);
    EXPECT_EQ(events[3].kind, Kind::Question);
    EXPECT_EQ(events[3].icon, Icon::Question);
    EXPECT_EQ(events[3].title, " Annuler le dernier lot?");
    EXPECT_EQ(events[3].text,
              "Annuler le dernier lot :\r\n3 fichiers, le 15/01/2007 à 14:30\r\n" + folder);
    EXPECT_EQ(events[4].kind, Kind::Message);
    EXPECT_EQ(events[4].icon, Icon::None);
    EXPECT_EQ(events[4].title, "Annuler");
    EXPECT_EQ(events[4].text, "3 fichiers ont été rétablis sur les 3 du lot.");
    expectEachUnderItsOwnName(folder, names);
    EXPECT_EQ(w.sourceFiles.rows(), names);
    EXPECT_EQ(w.targetFiles.rows(), names);
    // Nothing left to undo: the item greys and its file is gone.
    EXPECT_FALSE(w.mnuAnnuler.enabled());
    EXPECT_TRUE(journalFilesOnDisk().empty());
}

TEST_F(UndoCommandTest, NoAtTheQuestionAndAGreyedItemChangeNothing) {
    const std::string folder = photos("Photos", {"IMG_1.jpg", "IMG_2.jpg"});
    MainWindow& w = start();
    openSource(folder);
    // Greyed: a click (or its shortcut) shows nothing and touches nothing.
    w.mnuAnnuler.click();
    EXPECT_TRUE(toolkit.events().empty());
    run();
    const std::vector<std::string> renamed = namesIn(folder);
    undo(false);
    EXPECT_EQ(toolkit.events().back().kind, Kind::Question);
    EXPECT_EQ(namesIn(folder), renamed);
    EXPECT_TRUE(w.mnuAnnuler.enabled());
    EXPECT_EQ(journalFilesOnDisk().size(), 1u);
}

// Told before the disk changes, the user chooses: no change without its record, or the
// batch anyway, knowing it cannot be undone.
TEST_F(UndoCommandTest, AJournalThatCannotBeWrittenIsToldBeforeAnyChange) {
    const std::vector<std::string> names{"IMG_1.jpg", "IMG_2.jpg"};
    const std::string folder = photos("Photos", names);
    temp.file("state", "not a folder");
    MainWindow& w = start();
    openSource(folder);
    // The question, then the run's result.
    const auto expectAsked = [this](const std::string& result) {
        const std::vector<std::string> shown = texts();
        ASSERT_EQ(shown.size(), 2u);
        EXPECT_TRUE(shown[0].starts_with("Le journal d'annulation n'a pas pu être écrit ("));
        EXPECT_TRUE(shown[0].ends_with(") : ce lot ne pourra pas être annulé.\r\nLe faire quand "
                                       "même ?"));
        EXPECT_EQ(shown[1], result);
        EXPECT_EQ(toolkit.events()[0].kind, Kind::Question);
    };
    toolkit.queueAnswer(false);
    w.renameButton.click();
    EXPECT_FALSE(toolkit.answersLeft());
    expectAsked("0 fichiers ont été renommés sur les 2 présents.");
    expectEachUnderItsOwnName(folder, names);

    toolkit.clearEvents();
    toolkit.queueAnswer(true);
    w.renameButton.click();
    expectAsked("2 fichiers ont été renommés sur les 2 présents.");
    EXPECT_NE(namesIn(folder), names);
    EXPECT_FALSE(w.mnuAnnuler.enabled());
}

// Names taken on the disk behind the list, where names come from the files' dates: each
// such file stays as it is, the others are told once and all come back.
TEST_F(UndoCommandTest, ARunThatMetNamesTakenBehindTheListIsUndoneWhole) {
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i)
        names.push_back("IMG_" + std::to_string(i) + ".jpg");
    const std::string folder = temp.folder("Photos");
    const std::time_t first = localTime(2007, 1, 15, 14, 30, 0);
    for (int i = 0; i < 6; ++i)
        temp.file("Photos/" + names[static_cast<std::size_t>(i)], first + i,
                  names[static_cast<std::size_t>(i)]);
    MainWindow& w = start();
    openSource(folder);
    w.schemeOptions[3]->click();
    w.noWarningBox.click();
    for (const int i : {1, 4})
        temp.file("Photos/" + NameComposer::timeStamp(first + i) + ".jpg", "taken");
    run();
    EXPECT_EQ(namesIn(folder).size(), 8u);
    undo();
    EXPECT_EQ(texts().back(), "4 fichiers ont été rétablis sur les 4 du lot.");
    for (const std::string& name : names)
        EXPECT_EQ(readFile(folder + "/" + name), name);
}

TEST_F(UndoCommandTest, CopiesAreUndoneAfterARestartExceptACopyEditedSince) {
    const std::vector<std::string> names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string source = photos("Camera", names);
    const std::string target = temp.folder("Backup");
    start();
    openSource(source);
    ASSERT_EQ(window->targetFolders.setPath(target), 0);
    toolkit.queueAnswer(true);
    window->sourceButtons[7]->click();
    ASSERT_EQ(namesIn(target), names);

    MainWindow& w = restart();
    EXPECT_TRUE(w.mnuAnnuler.enabled());
    std::ofstream(target + "/IMG_2.jpg", std::ios::app) << " retouched";
    undo();
    const std::vector<std::string> shown = undoTexts();
    EXPECT_EQ(shown[0],
              "Annuler le dernier lot :\r\n3 fichiers copiés, le 15/01/2007 à 14:30\r\n" + target);
    EXPECT_EQ(shown[1], "2 copies ont été retirées sur les 3 du lot.\r\n\r\n"
                        "IMG_2.jpg : modifié depuis le lot, laissé en place");
    EXPECT_EQ(namesIn(target), std::vector<std::string>{"IMG_2.jpg"});
    EXPECT_EQ(readFile(target + "/IMG_2.jpg"), "IMG_2.jpg retouched");
    expectEachUnderItsOwnName(source, names);
    // Every change was tried: the batch is done with.
    EXPECT_FALSE(w.mnuAnnuler.enabled());
}

TEST_F(UndoCommandTest, AFolderRenameAndAnEditAreUndoneNewestFirst) {
    const std::string parent = temp.folder("Photos");
    const std::string trip = photos("Photos/Trip", {"IMG_1234.jpg", "IMG_5678.jpg"});
    MainWindow& w = start();
    openSource(trip);
    toolkit.queueInput("IMG_12.jpg");
    toolkit.queueAnswer(true);
    w.sourceButtons[10]->click();
    toolkit.queueInput("Voyage");
    toolkit.queueAnswer(true);
    w.sourceButtons[3]->click();
    ASSERT_EQ(w.sourceFolders.path(), parent + "/Voyage");
    toolkit.clearEvents();

    undo();
    std::vector<std::string> shown = undoTexts();
    EXPECT_EQ(shown[0],
              "Annuler le dernier lot :\r\n1 fichiers, le 15/01/2007 à 14:30\r\n" + parent);
    EXPECT_EQ(shown[1], "1 fichiers ont été rétablis sur les 1 du lot.");
    // The panes follow the folder back to its old name.
    EXPECT_EQ(w.sourceFolders.path(), trip);
    EXPECT_EQ(w.targetFolders.path(), trip);
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"IMG_12.jpg", "IMG_56.jpg"}));

    undo();
    shown = undoTexts();
    EXPECT_EQ(shown[0], "Annuler le dernier lot :\r\n2 fichiers, le 15/01/2007 à 14:30\r\n" + trip);
    EXPECT_EQ(shown[1], "2 fichiers ont été rétablis sur les 2 du lot.");
    expectEachUnderItsOwnName(trip, {"IMG_1234.jpg", "IMG_5678.jpg"});
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"IMG_1234.jpg", "IMG_5678.jpg"}));
    EXPECT_FALSE(w.mnuAnnuler.enabled());
}

TEST_F(UndoCommandTest, ANameTakenAgainIsNotReplacedAndIsNamed) {
    const std::vector<std::string> names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string folder = photos("Photos", names);
    MainWindow& w = start();
    openSource(folder);
    run();
    std::string renamedSecond;
    std::string renamedThird;
    for (const std::string& name : namesIn(folder)) {
        if (readFile(folder + "/" + name) == "IMG_2.jpg")
            renamedSecond = name;
        if (readFile(folder + "/" + name) == "IMG_3.jpg")
            renamedThird = name;
    }
    ASSERT_FALSE(renamedSecond.empty());
    temp.file("Photos/IMG_2.jpg", "a new photo");
    // Put back by hand: nothing left to do, and not put back by this undo.
    ASSERT_EQ(::rename((folder + "/" + renamedThird).c_str(), (folder + "/IMG_3.jpg").c_str()), 0);

    undo();
    EXPECT_EQ(undoTexts()[1], "1 fichiers ont été rétablis sur les 3 du lot.\r\n\r\n" +
                                  renamedSecond + " : IMG_2.jpg existe déjà");
    EXPECT_EQ(readFile(folder + "/IMG_2.jpg"), "a new photo");
    EXPECT_EQ(readFile(folder + "/" + renamedSecond), "IMG_2.jpg");
    EXPECT_EQ(readFile(folder + "/IMG_1.jpg"), "IMG_1.jpg");
    EXPECT_EQ(readFile(folder + "/IMG_3.jpg"), "IMG_3.jpg");
    // Every change was tried: nothing is offered again.
    EXPECT_FALSE(w.mnuAnnuler.enabled());
}

// A power cut can leave the outcomes of the last changes unwritten: the disk then says
// which changes happened. A record damaged before the end is reported, and nothing after it
// is undone.
TEST_F(UndoCommandTest, AJournalCutOrDamagedIsReadUpToWhereItHolds) {
    const std::vector<std::string> names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string folder = photos("Photos", names);
    start();
    openSource(folder);
    run();
    const std::vector<std::string> files = journalFilesOnDisk();
    ASSERT_EQ(files.size(), 1u);
    const std::string bytes = readFile(files[0]);
    // Into the outcomes record, just before the end record (length, type, checksum).
    ASSERT_EQ(::truncate(files[0].c_str(), static_cast<off_t>(bytes.size() - 9 - 6)), 0);

    MainWindow& w = restart();
    EXPECT_TRUE(w.mnuAnnuler.enabled());
    undo();
    EXPECT_EQ(undoTexts()[1], "3 fichiers ont été rétablis sur les 3 du lot.");
    expectEachUnderItsOwnName(folder, names);

    openSource(folder);
    run();
    const std::string second = journalFilesOnDisk().at(0);
    std::string damaged = readFile(second);
    // A byte of the announced names, past the file's mark and header, with records after it.
    const std::size_t header = 8 + 4 + static_cast<unsigned char>(damaged[8]) + 4;
    damaged[header + 30] = static_cast<char>(damaged[header + 30] ^ 0x20);
    std::ofstream(second, std::ios::trunc | std::ios::binary) << damaged;
    restart();
    EXPECT_FALSE(window->mnuAnnuler.enabled());
    window->mnuAnnuler.click();
    EXPECT_TRUE(toolkit.events().empty());
    EXPECT_EQ(namesIn(folder).size(), 3u);
    EXPECT_NE(namesIn(folder), names);
}

} // namespace
} // namespace quorvel::test
