#pragma once

#include "journal/Journal.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

class FileSystem;

// The newest batch with changes left to undo, and those that really happened, newest first.
// It holds its journal's lock: no other copy of the program undoes it meanwhile.
struct UndoableBatch {
    std::string file;
    journal::Batch batch;
    std::vector<std::uint32_t> steps;
    bool damaged = false;
    // Where a record torn by a crash begins, when one ends the file: what undo appends
    // must follow the sound records to be read.
    std::optional<std::size_t> tornAt;
    std::unique_ptr<AppendFile> locked;
};

// Newer journals that the search passed over; the user is told of each kind.
struct PassedOver {
    std::vector<std::string> unreadable; // not journals, or not readable
    std::size_t busy = 0;                // batches another copy of the program runs or undoes
    // Damaged journals with nothing left that can be undone, and the changes read of them.
    std::size_t damaged = 0;
    std::size_t damagedChanges = 0;
};

// A change that could not be taken back, named by the file's present name.
struct UndoFailure {
    std::string name;
    int error = 0;
    std::string reason; // when not empty, said instead of the errno's reason
};

struct UndoResult {
    std::size_t restored = 0; // files this undo put back itself
    std::vector<UndoFailure> failures;
    // Folders given back their old names: (name the batch gave, old name).
    std::vector<std::pair<std::string, std::string>> folders;
    std::optional<SystemError> journalError; // the journal could not keep what was undone
};

// Looks for the batch to offer, newest file first, and says in `passed` what it passed
// over. A journal with nothing left to undo after a finished batch goes away, and so does
// one that a batch killed before its first record left.
std::optional<UndoableBatch> findUndoable(Journal& journal, FileSystem& fs,
                                          PassedOver* passed = nullptr);

// Takes the batch's changes back, newest first, never replacing a file, never touching a
// file that is not the very one the batch renamed or made, and never deleting a copy whose
// source is not there as it was copied. Every change is tried once: the batch is then done,
// its journal gone, and the next undo offers the batch before it.
UndoResult undo(Journal& journal, FileSystem& fs, UndoableBatch& batch);

} // namespace quorvel
