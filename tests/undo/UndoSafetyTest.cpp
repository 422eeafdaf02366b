#include "journal/Undo.h"
#include "undo/UndoTestSupport.h"

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

// Undo, tried as a hostile user would: it touches only what its batch made, as it was.
class UndoSafetyTest : public UndoWindowTest {
protected:
    std::string photos(const std::string& folder, const Names& names) {
        const std::string path = temp.folder(folder);
        for (const std::string& name : names)
            temp.file(folder + "/" + name, name);
        return path;
    }
    // The edit that copies the selected files of the source into the target.
    void copyAll(const std::string& source, const std::string& target) {
        openSource(source);
        ASSERT_EQ(window->targetFolders.setPath(target), 0);
        toolkit.queueAnswer(true);
        window->sourceButtons[7]->click();
        toolkit.clearEvents();
    }
    void runInPlace(const std::string& folder) {
        openSource(folder);
        window->renameButton.click();
        toolkit.clearEvents();
    }
    // The name a run gave to the file whose content is `content`.
    static std::string nameHolding(const std::string& folder, const std::string& content) {
        for (const std::string& name : namesIn(folder))
            if (readFile(folder + "/" + name) == content)
                return name;
        return {};
    }
    std::string undoResult() { return undoTexts().at(1); }
};

// Import, wipe the card, undo: the only copies left are kept, and said to be.
TEST_F(UndoSafetyTest, CopiesWhoseSourceIsGoneOrChangedAreKept) {
    const Names names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string card = photos("card", names);
    const std::string pictures = temp.folder("pictures");
    start();
    copyAll(card, pictures);
    ASSERT_EQ(namesIn(pictures), names);
    ASSERT_EQ(::unlink((card + "/IMG_1.jpg").c_str()), 0);
    ASSERT_EQ(::unlink((card + "/IMG_2.jpg").c_str()), 0);
    // Same size, other bytes: no longer what was copied.
    std::ofstream(card + "/IMG_3.jpg", std::ios::trunc) << "IMG_9.jpg";

    restart();
    undo();
    const Names shown = undoTexts();
    EXPECT_EQ(shown[0], "Annuler le dernier lot :\r\n3 fichiers copiés, le 15/01/2007 à 14:30\r\n" +
                            pictures);
    EXPECT_EQ(shown[1], "0 copies ont été retirées sur les 3 du lot.\r\n\r\n"
                        "IMG_3.jpg : la source a changé depuis la copie, la copie est gardée\r\n"
                        "IMG_2.jpg : la source n'existe plus, la copie est gardée\r\n"
                        "IMG_1.jpg : la source n'existe plus, la copie est gardée");
    EXPECT_EQ(namesIn(pictures), names);
    for (const std::string& name : names)
        EXPECT_EQ(readFile(pictures + "/" + name), name);
    // Every change was tried: the batch is done.
    EXPECT_FALSE(window->mnuAnnuler.enabled());
}

// What a user cannot put back: an edit that keeps the size and restores the time, or a
// new file at the copy's name, moves the change time, and the copy is no longer deleted.
TEST_F(UndoSafetyTest, ACopyEditedInPlaceOrReplacedWithTheSameSizeAndTimeIsKept) {
    const Names names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string card = photos("card", names);
    const std::string pictures = temp.folder("pictures");
    start();
    copyAll(card, pictures);
    struct stat before {};
    ASSERT_EQ(::stat((pictures + "/IMG_1.jpg").c_str(), &before), 0);
    const struct timespec times[2] = {before.st_atim, before.st_mtim};
    { std::ofstream(pictures + "/IMG_1.jpg", std::ios::in | std::ios::out) << "X"; }
    ASSERT_EQ(::utimensat(AT_FDCWD, (pictures + "/IMG_1.jpg").c_str(), times, 0), 0);
    ASSERT_EQ(::unlink((pictures + "/IMG_2.jpg").c_str()), 0);
    temp.file("pictures/IMG_2.jpg", "IMG_X.jpg");
    ASSERT_EQ(::utimensat(AT_FDCWD, (pictures + "/IMG_2.jpg").c_str(), times, 0), 0);

    undo();
    EXPECT_EQ(undoResult(), "1 copies ont été retirées sur les 3 du lot.\r\n\r\n"
                            "IMG_2.jpg : modifié depuis le lot, laissé en place\r\n"
                            "IMG_1.jpg : modifié depuis le lot, laissé en place");
    EXPECT_EQ(readFile(pictures + "/IMG_1.jpg"), "XMG_1.jpg");
    EXPECT_EQ(readFile(pictures + "/IMG_2.jpg"), "IMG_X.jpg");
    EXPECT_FALSE(exists(pictures + "/IMG_3.jpg"));
}

// A renamed file moved away and another put at its new name; a folder moved and a link
// to another folder put at its path: undo renames neither the stranger nor anything there.
TEST_F(UndoSafetyTest, RenameUndoTouchesOnlyTheFilesAndFolderItRenamed) {
    const Names names{"IMG_1.jpg", "IMG_2.jpg"};
    const std::string folder = photos("Photos", names);
    start();
    runInPlace(folder);
    const std::string first = nameHolding(folder, "IMG_1.jpg");
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(::rename((folder + "/" + first).c_str(), (temp / "away.jpg").c_str()), 0);
    temp.file("Photos/" + first, "a stranger");

    undo();
    EXPECT_EQ(undoResult(), "1 fichiers ont été rétablis sur les 2 du lot.\r\n\r\n" + first +
                                " : ce n'est plus le fichier renommé par le lot, laissé en place");
    EXPECT_EQ(readFile(folder + "/" + first), "a stranger");
    EXPECT_EQ(readFile(folder + "/IMG_2.jpg"), "IMG_2.jpg");

    const std::string second = photos("Second", names);
    const std::string other = photos("Other", {"IMG_1.jpg"});
    runInPlace(second);
    const Names renamed = namesIn(second);
    ASSERT_EQ(::rename(second.c_str(), (temp / "Moved").c_str()), 0);
    ASSERT_EQ(::symlink(other.c_str(), second.c_str()), 0);
    const std::string secondName = nameHolding(temp / "Moved", "IMG_2.jpg");
    temp.file("Other/" + secondName, "not the batch's");
    const Names inOther = namesIn(other);
    undo();
    const std::string result = undoResult();
    EXPECT_NE(result.find(secondName + " : le dossier n'est plus celui du lot"), std::string::npos)
        << result;
    EXPECT_EQ(namesIn(other), inOther);
    EXPECT_EQ(readFile(other + "/" + secondName), "not the batch's");
    EXPECT_EQ(namesIn(temp / "Moved"), renamed);
}

// A large batch takes its files' identities from one read of the folder; a file swapped
// after the run is still told apart.
TEST_F(UndoSafetyTest, ALargeBatchKnowsEachFileItRenamed) {
    Names names;
    for (int i = 1; i <= 100; ++i)
        names.push_back("IMG_" + std::to_string(i) + ".jpg");
    const std::string folder = photos("Many", names);
    start();
    runInPlace(folder);
    const std::string swapped = nameHolding(folder, "IMG_50.jpg");
    ASSERT_FALSE(swapped.empty());
    ASSERT_EQ(::rename((folder + "/" + swapped).c_str(), (temp / "away.jpg").c_str()), 0);
    temp.file("Many/" + swapped, "a stranger");

    undo();
    EXPECT_EQ(undoResult(), "99 fichiers ont été rétablis sur les 100 du lot.\r\n\r\n" + swapped +
                                " : ce n'est plus le fichier renommé par le lot, laissé en place");
    for (const std::string& name : names)
        EXPECT_EQ(name == "IMG_50.jpg" || readFile(folder + "/" + name) == name, true) << name;
    EXPECT_EQ(readFile(folder + "/" + swapped), "a stranger");
}

// Another copy of the program runs a batch: its journal is locked, so it is not offered,
// and the question says why; what is being undone is locked the same way.
TEST_F(UndoSafetyTest, ABatchAnotherProgramRunsOrUndoesIsNotOffered) {
    const std::string folder = photos("Photos", {"IMG_1.jpg", "IMG_2.jpg"});
    start();
    runInPlace(folder);
    Journal other(journalFiles, journalFolder());
    other.begins({BatchKind::RenameRun, folder, folder, 0});
    const std::vector<WorkItem> items{{folder + "/x.jpg", folder + "/y.jpg", ChangeKind::Rename}};
    other.beforeGroup(items);
    ASSERT_EQ(journal->batchFiles().size(), 2u);

    undo(false);
    const Names shown = texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].ends_with(
        "\r\nLe lot le plus récent est en cours dans un autre exemplaire du programme : il ne "
        "peut pas être annulé maintenant."));

    Journal third(journalFiles, journalFolder());
    std::optional<UndoableBatch> held = findUndoable(third, fs);
    ASSERT_TRUE(held.has_value());
    PassedOver passed;
    EXPECT_FALSE(findUndoable(*journal, fs, &passed).has_value());
    EXPECT_EQ(passed.busy, 2u);
    held.reset();
    other.ends({});
    EXPECT_TRUE(findUndoable(*journal, fs).has_value());
}

// The newest journal damaged: said, with what could be read; never a silent step back to
// the batch before it.
TEST_F(UndoSafetyTest, ADamagedNewestJournalIsToldAndWhatHoldsIsOffered) {
    const Names names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string folder = photos("Photos", names);
    const std::string other = photos("Other", {"a.jpg"});
    start();
    runInPlace(other);
    runInPlace(folder);
    const std::string newest = journal->batchFiles().at(0);
    std::string bytes = readFile(newest);
    // The last byte of the outcomes record's checksum, before the end record.
    bytes[bytes.size() - 9 - 1] = static_cast<char>(bytes[bytes.size() - 9 - 1] ^ 1);
    std::ofstream(newest, std::ios::trunc | std::ios::binary) << bytes;
    restart();
    undo();
    Names shown = texts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "Le journal du dernier lot est endommagé : 3 modifications ont pu y être "
                        "lues, dont 3 peuvent être annulées ; ce qui suivait l'endroit abîmé est "
                        "perdu.");
    EXPECT_EQ(shown[2], "3 fichiers ont été rétablis sur les 3 du lot.");
    EXPECT_EQ(namesIn(folder), names);

    runInPlace(folder);
    std::string group = readFile(journal->batchFiles().at(0));
    // A byte of the announced names, past the file's mark and header.
    const std::size_t header = 8 + 4 + static_cast<unsigned char>(group[8]) + 4;
    group[header + 30] = static_cast<char>(group[header + 30] ^ 0x20);
    std::ofstream(journal->batchFiles().at(0), std::ios::trunc | std::ios::binary) << group;
    undo(false);
    shown = texts();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_TRUE(shown[0].starts_with("Annuler le dernier lot :\r\n1 fichiers, le "));
    EXPECT_TRUE(shown[0].ends_with("\r\nLe journal du lot le plus récent est endommagé : 0 "
                                   "modifications ont pu y être lues, aucune ne peut être "
                                   "annulée."));
}

// A pipe, a huge sparse file and heaps of garbage in the journal folder: nothing hangs or
// takes the memory, and one message names them all.
TEST_F(UndoSafetyTest, HostileJournalFilesAreToldOnceAndNeverRead) {
    const std::string folder = photos("Photos", {"IMG_1.jpg"});
    start();
    runInPlace(folder);
    const std::string state = journalFolder();
    ASSERT_EQ(::mkfifo((state + "/0000000009.journal").c_str(), 0600), 0);
    const int sparse = ::open((state + "/0000000008.journal").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(sparse, 0);
    ASSERT_EQ(::ftruncate(sparse, off_t{20} << 30), 0);
    ::close(sparse);
    for (int i = 100; i < 150; ++i)
        temp.file("state/quorvel/0000000" + std::to_string(i) + ".journal", "garbage");
    undo();
    const Names shown = texts();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], "52 journaux d'annulation sont illisibles, dont « " + state +
                            "/0000000149.journal » : ils sont laissés de côté.");
    EXPECT_EQ(shown[2], "1 fichiers ont été rétablis sur les 1 du lot.");
}

// A batch undone as far as it could be is done with: the next undo offers the one before.
// What was back by hand already is not counted as put back.
TEST_F(UndoSafetyTest, AnUndoThatLeftAChangeMovesOnToTheBatchBefore) {
    const std::string older = photos("Older", {"a.jpg"});
    const Names names{"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"};
    const std::string folder = photos("Photos", names);
    start();
    runInPlace(older);
    runInPlace(folder);
    const std::string second = nameHolding(folder, "IMG_2.jpg");
    const std::string third = nameHolding(folder, "IMG_3.jpg");
    temp.file("Photos/IMG_2.jpg", "a new photo");
    ASSERT_EQ(::rename((folder + "/" + third).c_str(), (folder + "/IMG_3.jpg").c_str()), 0);

    undo();
    EXPECT_EQ(undoResult(), "1 fichiers ont été rétablis sur les 3 du lot.\r\n\r\n" + second +
                                " : IMG_2.jpg existe déjà");
    EXPECT_TRUE(window->mnuAnnuler.enabled());
    undo();
    EXPECT_TRUE(undoTexts()[0].ends_with("\r\n" + older));
    EXPECT_EQ(namesIn(older), Names{"a.jpg"});
    EXPECT_FALSE(window->mnuAnnuler.enabled());
}

// Left by a kill before the first record, or by a full disk: removed without a word. A
// journal number that would no longer sort is refused, not wrapped.
TEST_F(UndoSafetyTest, EmptyJournalsGoQuietlyAndNumbersNeverWrap) {
    const std::string state = temp.folder("state/quorvel");
    temp.file("state/quorvel/0000000003.journal", "");
    temp.file("state/quorvel/0000000004.journal", "QRVJ");
    start();
    window->mnuAnnuler.click();
    EXPECT_TRUE(texts().empty());
    EXPECT_TRUE(journal->batchFiles().empty());

    temp.file("state/quorvel/9999999999.journal", "");
    const std::string folder = photos("Photos", {"IMG_1.jpg"});
    openSource(folder);
    toolkit.queueAnswer(false);
    window->renameButton.click();
    const Names shown = texts();
    ASSERT_FALSE(shown.empty());
    EXPECT_TRUE(shown[0].starts_with("Le journal d'annulation n'a pas pu être écrit"));
    EXPECT_EQ(namesIn(folder), Names{"IMG_1.jpg"});
}

} // namespace
} // namespace quorvel::test
