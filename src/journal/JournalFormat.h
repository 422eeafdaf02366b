#pragma once

#include "batch/Batch.h"
#include "platform/JournalFiles.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quorvel::journal {

// One batch per file: the file's mark, a header record, then records appended as the batch
// goes. Every record is framed as [length][type][payload][CRC-32], integers little-endian,
// names as their raw bytes with a length, so that any name round-trips and a torn or
// damaged record is seen, never misread.
enum class ChangeState : std::uint8_t {
    Pending, // announced, no outcome written: the disk says whether it happened
    Done,
    NotDone,
    Undone,
    Void, // announced, then replaced by a later announcement before it was made
};

struct Change {
    ChangeKind kind = ChangeKind::Rename;
    std::string source;
    std::string target;
    ChangeState state = ChangeState::Pending;
    FileIdentity made; // the copy the batch made, when state is Done
};

struct Batch {
    BatchInfo info;
    std::vector<Change> changes;          // by the index they were announced with
    std::vector<std::uint32_t> doneOrder; // indexes of Done changes, in the order they were made
    bool ended = false;   // the batch finished: every change made has its outcome written
    bool damaged = false; // a record before the end is unreadable; what follows is lost
    // Where the last group begins: the changes before it are settled or void.
    std::size_t lastGroup = 0;
};

struct Mark {
    std::uint32_t index = 0;
    bool done = false;
    const FileIdentity* made = nullptr; // a copy's identity, for a Done copy
};

// Folders are written once per batch and named by number afterwards.
class FolderTable {
public:
    // The folder's number, and whether it is new to the batch.
    std::pair<std::uint32_t, bool> number(std::string_view folder);

private:
    std::unordered_map<std::string, std::uint32_t> numbers_;
    const std::pair<const std::string, std::uint32_t>* last_ = nullptr;
};

std::string fileStart(const BatchInfo& info);
// A group of changes announced together; first is the index of the first of them.
void addGroup(std::string& out, std::uint32_t first, std::span<const WorkItem> items,
              FolderTable& folders);
void addMarks(std::string& out, std::span<const Mark> marks);
void addEnd(std::string& out);
void addUndone(std::string& out, std::span<const std::uint32_t> indexes);

enum class ReadProblem { None, NotAJournal, Damaged };

struct ReadResult {
    Batch batch;
    ReadProblem problem = ReadProblem::None;
    // Bytes of whole records from the file's start: a record torn by a crash lies past them.
    std::size_t soundBytes = 0;
};

// Reads what a journal file holds. A torn last record (a crash in the middle of a write) is
// left out silently: its changes had not begun, since a group is made durable before them.
ReadResult read(std::string_view bytes);

} // namespace quorvel::journal
