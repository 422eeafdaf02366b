#pragma once

#include "journal/Journal.h"

#include <optional>
#include <string>
#include <vector>

namespace quorvel {

class FileSystem;

// The newest batch with changes left to undo, and those that really happened, newest first.
struct UndoableBatch {
    std::string file;
    journal::Batch batch;
    std::vector<std::uint32_t> steps;
    bool damaged = false;
    // Where a record torn by a crash begins, when one ends the file: what undo appends
    // must follow the sound records to be read.
    std::optional<std::size_t> tornAt;
};

// A change that could not be taken back, named by the file's present name.
struct UndoFailure {
    std::string name;
    int error = 0;
    std::string reason; // when not empty, said instead of the errno's reason
};

struct UndoResult {
    std::size_t restored = 0;
    std::vector<UndoFailure> failures;
    // Folders given back their old names: (name the batch gave, old name).
    std::vector<std::pair<std::string, std::string>> folders;
    std::optional<SystemError> journalError; // the journal could not keep what was undone
};

// Looks for the batch to offer, newest file first. Files that are not journals are named
// in `unreadable`; a batch file with nothing left to undo after a finished batch goes away.
std::optional<UndoableBatch> findUndoable(Journal& journal, FileSystem& fs,
                                          std::vector<std::string>* unreadable = nullptr);

// Takes the batch's changes back, newest first, never replacing a file and never deleting a
// copy that is no longer the very file the batch made. What was undone leaves the journal.
UndoResult undo(Journal& journal, FileSystem& fs, UndoableBatch& batch);

} // namespace quorvel
