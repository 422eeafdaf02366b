#pragma once

#include "batch/Batch.h"
#include "platform/JournalFiles.h"

#include <cstdint>
#include <functional>
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
    // When state is Done: the file that took the new name (a renamed file: device and inode;
    // a copy: all of its identity), inode 0 when unknown.
    FileIdentity made;
    bool madeWhole = false; // made holds the change and birth times too
    FileIdentity copied;    // a copy's source as it was copied, inode 0 when unknown
    // The folders the change was made in, as the batch opened them: device and inode,
    // inode 0 when unknown.
    FileIdentity sourceFolder;
    FileIdentity targetFolder;
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
    const FileIdentity* made = nullptr;   // the file bearing the new name, for a Done change
    const FileIdentity* copied = nullptr; // a Done copy's source
    bool entryOnly = false;               // of made, device and inode are enough (a rename)
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
// Device and inode of a folder, written with its first use.
using FolderIdentity = std::function<FileIdentity(std::string_view folder)>;

// A group of changes announced together; first is the index of the first of them.
void addGroup(std::string& out, std::uint32_t first, std::span<const WorkItem> items,
              FolderTable& folders, const FolderIdentity& identify = {});
void addMarks(std::string& out, std::span<const Mark> marks);
void addEnd(std::string& out);
void addUndone(std::string& out, std::span<const std::uint32_t> indexes);

// Empty: nothing or a part of the file's start, which a batch killed before its first
// record leaves; none of its changes had begun.
enum class ReadProblem { None, NotAJournal, Damaged, Empty };

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
