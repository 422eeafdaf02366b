#pragma once

#include "batch/Batch.h"
#include "journal/JournalFormat.h"
#include "platform/JournalFiles.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// Records every batch of file changes before the disk changes, one file per batch in its
// folder, so that a crash at any moment leaves what undo needs: a group of changes is
// written and made durable before the first of them is made; their outcomes follow,
// written in bunches and made durable with the batch's end.
class Journal : public BatchObserver {
public:
    static constexpr std::size_t keptBatches = 20;

    Journal(JournalFiles& files, std::string folder);

    void begins(const BatchInfo& info) override;
    void beforeGroup(std::span<const WorkItem> items) override;
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override;
    void ends(const BatchSummary& summary) override;

    // Why the last batch could not be recorded, when it could not.
    const std::optional<SystemError>& failure() const { return failure_; }
    // The last batch left changes that undo can take back.
    bool recordedChanges() const { return recordedChanges_; }

    JournalFiles& files() { return files_; }
    const std::string& folder() const { return folder_; }
    // Paths of the batch files, newest first.
    std::vector<std::string> batchFiles();

private:
    bool open();
    void flushMarks();
    void write(bool durable);
    void fail(const SystemError& error);
    // Removes the oldest files so that, with the new one, keptBatches remain.
    void prune(const std::vector<std::string>& newestFirst);

    JournalFiles& files_;
    std::string folder_;
    BatchInfo info_;
    std::unique_ptr<AppendFile> file_;
    std::string path_;
    std::string out_;
    journal::FolderTable folders_;
    std::vector<std::uint64_t> group_; // the current group's changes, as hashes
    std::uint32_t groupFirst_ = 0;
    std::size_t cursor_ = 0;
    std::uint32_t announced_ = 0;
    std::uint64_t written_ = 0; // bytes of the batch's file
    std::vector<journal::Mark> marks_;
    std::deque<FileIdentity> made_; // what the marks point to, until they are written
    std::optional<SystemError> failure_;
    bool recordedChanges_ = false;
};

} // namespace quorvel
