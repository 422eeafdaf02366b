#pragma once

#include "batch/Batch.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

namespace quorvel {

class BatchExecutor;
class FileSystem;
class Toolkit;

// The undo journal's files are the batch thread's while a batch runs; what the observer
// shows in the window at the batch's end is done on the window's thread.
class ObserverOnWindow : public BatchObserver {
public:
    ObserverOnWindow(BatchObserver& inner, Toolkit& toolkit) : inner_(inner), toolkit_(toolkit) {}
    void begins(const BatchInfo& info) override { inner_.begins(info); }
    void beforeGroup(std::span<const WorkItem> items) override { inner_.beforeGroup(items); }
    // Its question comes up on the window's thread through the toolkit.
    bool proceed() override { return inner_.proceed(); }
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override {
        inner_.afterItem(item, outcome);
    }
    void ends(const BatchSummary& summary) override;

private:
    BatchObserver& inner_;
    Toolkit& toolkit_;
};

// What a batch of listed changes came to: each item's outcome, in order, as far as it got.
struct FileBatchResult {
    std::vector<ItemOutcome> outcomes;
    BatchSummary summary;
    // The items a stop left untouched, after the last outcome.
    std::size_t untreated = 0;
};

// A batch of changes known in full before it starts (a name edit, a folder rename), made on
// the batch thread beside the live window: the window asks its questions before, shows the
// result after, and may stop it after the item in hand.
class FileBatch {
public:
    // runningChanged: told on the window's thread as a batch begins and once it has ended,
    // so that the window holds still what would change the batch under way.
    FileBatch(Toolkit& toolkit, FileSystem& fs, std::function<void(bool running)> runningChanged);
    ~FileBatch();
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    bool running() const { return running_; }
    // Performs the items in order, announced together to `observer` (null for none); an
    // item marked in `settled` is counted done without a look at the disk. `done` gets the
    // outcome on the window's thread. Does nothing while a batch runs.
    void run(const BatchInfo& info, std::vector<WorkItem> items, std::vector<bool> settled,
             BatchObserver* observer, std::function<void(const FileBatchResult&)> done);
    // The batch stops after the item in hand; `then` runs once its result has been shown.
    void stop(std::function<void()> then = {});

private:
    struct Work;
    void perform(Work& work);
    void ended();

    Toolkit& toolkit_;
    FileSystem& fs_;
    std::function<void(bool running)> runningChanged_;
    bool running_ = false;
    std::unique_ptr<Work> work_;
    std::function<void()> afterStop_;
    // Written on the window's thread, read on the batch thread between items.
    std::atomic<bool> stopAsked_{false};
};

} // namespace quorvel
