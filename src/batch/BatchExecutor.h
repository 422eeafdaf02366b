#pragma once

#include "batch/Batch.h"
#include "platform/EntryInodes.h"

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class FileSystem;

// Performs the changes of one batch with the no-replace operations, one group at a time,
// counts and reports each outcome, shows how far the batch has come and makes what it
// wrote durable before its end is reported. The caller decides what the items are and
// what happens between them (the run's wait on a collision).
class BatchExecutor {
public:
    using ShowProgress = std::function<void(const std::string& text)>;

    // observer may be null: nothing is told.
    BatchExecutor(FileSystem& fs, BatchObserver* observer, ShowProgress show);

    // total: the items the batch will take, for the progress text.
    void begin(const BatchInfo& info, std::size_t total);
    // Performs every item of the group in order; outcomes[i] is the i-th item's, and there
    // are none when the observer stopped the batch.
    void perform(std::span<const WorkItem> group, std::vector<ItemOutcome>& outcomes);
    // One item as a group of its own.
    ItemOutcome perform(const WorkItem& item);
    // Tells the observer of changes to come, which are then performed one by one with
    // performAnnounced: a walk that decides each name as it goes still announces its
    // changes together, as far as it can foresee them.
    void announce(std::span<const WorkItem> group);
    ItemOutcome performAnnounced(const WorkItem& item) { return performOne(item); }
    // An item whose outcome was settled without the disk (a listed name, a name refused).
    void settled(const WorkItem& item, const ItemOutcome& outcome);
    // Syncs once each file system written to, then tells the observer the batch ended.
    BatchSummary finish();
    // The observer stopped the batch: nothing is performed any more, and what the caller
    // still hands in is refused without a look at the disk.
    bool stopped() const { return stopped_; }

    const BatchSummary& summary() const { return summary_; }

private:
    // Shows the count once the batch has lasted long enough to be noticed, and not so
    // often that the repaints slow it down.
    void advance();
    ItemOutcome performOne(const WorkItem& item);
    void count(const WorkItem& item, const ItemOutcome& outcome);
    void wrote(std::string_view target);
    // The batch's folders are opened once and every change is made within them by bare
    // names: a folder moved or replaced by a link during the batch never sends its changes
    // elsewhere.
    Result<Folder*> folder(std::string_view path);
    void openFolders(std::span<const WorkItem> group);
    ItemOutcome change(const WorkItem& item);
    // A large group of renames reads each of its folders' inodes once, rather than asking
    // each renamed file for its identity.
    void readInodes(std::span<const WorkItem> group);
    std::uint64_t knownInode(const Folder& folder, const std::string& name) const;
    void identify(ItemOutcome& outcome, Folder& from, Folder& to, const WorkItem& item);

    using Clock = std::chrono::steady_clock;
    FileSystem& fs_;
    BatchObserver* observer_;
    ShowProgress show_;
    std::size_t total_ = 0;
    std::size_t position_ = 0;
    Clock::time_point started_;
    Clock::time_point lastShown_;
    bool shown_ = false;
    bool stopped_ = false;
    BatchSummary summary_;
    std::vector<std::string> writtenFolders_;
    std::vector<std::unique_ptr<Folder>> folders_;
    std::vector<std::pair<const Folder*, EntryInodes>> inodes_;
};

} // namespace quorvel
