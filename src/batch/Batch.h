#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <ctime>
#include <span>
#include <string>
#include <utility>

namespace quorvel {

enum class ChangeKind { Rename, Copy };

// One file change of a batch, full paths on both sides: a rename gives the source file the
// target path in its own folder, a copy creates the target path from it.
struct WorkItem {
    std::string source;
    std::string target;
    ChangeKind kind = ChangeKind::Rename;
};

enum class Outcome {
    Done,      // renamed or copied, or already bearing the name asked for
    Collision, // the new name is taken; nothing touched
    Refused,   // no name could be given; nothing touched
    Failed,    // the file system refused the change; nothing touched
};

struct ItemOutcome {
    ItemOutcome(Outcome outcome_ = Outcome::Done, int error_ = 0, std::string reason_ = {})
        : outcome(outcome_), error(error_), reason(std::move(reason_)) {}

    Outcome outcome = Outcome::Done;
    int error = 0;      // errno of a Failed change
    std::string reason; // French: why a Refused item got no name
    // For the observer, of a change made: the file that now bears the new name and, for a
    // copy, its source, as the volume keeps them; inode 0 when they could not be read.
    FileIdentity made;
    FileIdentity source;
};

enum class BatchKind {
    RenameRun,
    ShortenRight,
    ShortenLeft,
    LengthenLeft,
    CopyToTarget,
    FolderRename
};

struct BatchInfo {
    BatchKind kind = BatchKind::RenameRun;
    std::string sourceFolder;
    std::string targetFolder;
    std::time_t began = 0;
};

struct BatchSummary {
    std::int64_t done = 0;
    std::int64_t collisions = 0;
    std::int64_t refused = 0;
    std::int64_t failed = 0;
    // errno of the first file system whose sync failed, 0 when everything written is
    // durable: a batch whose sync failed has not finished its work.
    int syncError = 0;
};

// Told of every batch as it goes, before the disk changes: the undo journal records the
// changes of a group before any of them is made.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    virtual void begins(const BatchInfo&) {}
    virtual void beforeGroup(std::span<const WorkItem>) {}
    // Asked once a group has been told: false stops the batch before any change of the
    // group is made.
    virtual bool proceed() { return true; }
    virtual void afterItem(const WorkItem&, const ItemOutcome&) {}
    virtual void ends(const BatchSummary&) {}
};

} // namespace quorvel
