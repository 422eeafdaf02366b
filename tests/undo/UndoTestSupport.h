#pragma once

#include "journal/Journal.h"
#include "platform/posix/PosixJournalFiles.h"
#include "support/Window.h"

#include <memory>

namespace quorvel::test {

// A main window that records its batches in a journal under the temporary folder.
class UndoWindowTest : public WindowTest {
protected:
    UndoWindowTest() { newJournal(); }

    std::string journalFolder() const { return temp / "state/quorvel"; }
    void newJournal() {
        journalStore = std::make_unique<Journal>(journalFiles, journalFolder());
        journal = journalStore.get();
    }
    // The program ends and starts again: nothing but the disk carries over.
    MainWindow& restart() {
        window.reset();
        newJournal();
        return start();
    }
    // "Annuler le dernier lot", answered Yes or No.
    void undo(bool yes = true) {
        toolkit.queueAnswer(yes);
        window->mnuAnnuler.click();
        EXPECT_FALSE(toolkit.answersLeft());
    }
    // The texts of the question and the message of an undo, and nothing else shown.
    std::vector<std::string> undoTexts() {
        const std::vector<std::string> shown = texts();
        EXPECT_EQ(shown.size(), 2u);
        return shown;
    }

    PosixJournalFiles journalFiles;
    std::unique_ptr<Journal> journalStore;
};

} // namespace quorvel::test
