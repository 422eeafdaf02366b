#include "batch/FileBatch.h"

#include "batch/BatchExecutor.h"
#include "platform/Toolkit.h"

#include <utility>

namespace quorvel {

void ObserverOnWindow::ends(const BatchSummary& summary) {
    toolkit_.onWindow([this, &summary] { inner_.ends(summary); });
}

// What the batch thread holds of a batch; the window's thread reads it once it has ended.
struct FileBatch::Work {
    BatchInfo info;
    std::vector<WorkItem> items;
    std::vector<bool> settled;
    std::unique_ptr<ObserverOnWindow> observer;
    std::unique_ptr<BatchExecutor> executor;
    std::function<void(const FileBatchResult&)> done;
    FileBatchResult result;
};

FileBatch::FileBatch(Toolkit& toolkit, FileSystem& fs,
                     std::function<void(bool running)> runningChanged)
    : toolkit_(toolkit), fs_(fs), runningChanged_(std::move(runningChanged)) {}

FileBatch::~FileBatch() = default;

void FileBatch::run(const BatchInfo& info, std::vector<WorkItem> items, std::vector<bool> settled,
                    BatchObserver* observer, std::function<void(const FileBatchResult&)> done) {
    if (running_)
        return;
    auto work = std::make_unique<Work>();
    work->info = info;
    work->items = std::move(items);
    work->settled = std::move(settled);
    work->settled.resize(work->items.size(), false);
    if (observer != nullptr)
        work->observer = std::make_unique<ObserverOnWindow>(*observer, toolkit_);
    Toolkit& toolkit = toolkit_;
    work->executor = std::make_unique<BatchExecutor>(
        fs_, work->observer.get(), [&toolkit](const std::string& text) {
            toolkit.postToWindow([&toolkit, text] { toolkit.showProgress(text); });
        });
    work->done = std::move(done);
    work_ = std::move(work);
    running_ = true;
    stopAsked_ = false;
    if (runningChanged_)
        runningChanged_(true);
    try {
        toolkit_.runBatch([this] { perform(*work_); }, [this] { ended(); });
    } catch (...) {
        // A script that ran out in the middle: the window is left as after a batch.
        work_.reset();
        running_ = false;
        if (runningChanged_)
            runningChanged_(false);
        throw;
    }
}

void FileBatch::perform(Work& work) {
    BatchExecutor& executor = *work.executor;
    executor.begin(work.info, work.items.size());
    std::vector<WorkItem> changes;
    for (std::size_t i = 0; i < work.items.size(); ++i) {
        if (!work.settled[i])
            changes.push_back(work.items[i]);
    }
    executor.announce(changes);
    std::size_t walked = 0;
    for (std::size_t i = 0; i < work.items.size() && !executor.stopped(); ++i) {
        if (stopAsked_) {
            work.result.untreated = work.items.size() - i;
            break;
        }
        if (work.settled[i]) {
            executor.settled(work.items[i], {});
            work.result.outcomes.push_back({});
        } else {
            work.result.outcomes.push_back(executor.performAnnounced(work.items[i]));
        }
        toolkit_.batchStep(++walked);
    }
    work.result.summary = executor.finish();
}

void FileBatch::ended() {
    const std::unique_ptr<Work> work = std::move(work_);
    running_ = false;
    if (runningChanged_)
        runningChanged_(false);
    if (work->done)
        work->done(work->result);
    if (const auto then = std::exchange(afterStop_, {}))
        then();
}

void FileBatch::stop(std::function<void()> then) {
    if (!running_) {
        if (then)
            then();
        return;
    }
    if (then)
        afterStop_ = std::move(then);
    stopAsked_ = true;
}

} // namespace quorvel
