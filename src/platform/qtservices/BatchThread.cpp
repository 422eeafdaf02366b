#include "platform/qtservices/BatchThread.h"

#include <QMetaObject>
#include <chrono>

namespace quorvel {

BatchThread::BatchThread() : context_(std::make_unique<QObject>()) {}

BatchThread::~BatchThread() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    woken_.notify_all();
    // On the event thread: no task of the batch is running, and none queued will.
    context_.reset();
    if (thread_.joinable())
        thread_.join();
}

void BatchThread::run(std::function<void()> work, std::function<void()> done) {
    // The last batch has posted its end, which ran before this one could begin.
    if (thread_.joinable())
        thread_.join();
    thread_ = std::thread([this, work = std::move(work), done = std::move(done)]() mutable {
        work();
        post([this, done = std::move(done)] {
            thread_.join();
            done();
        });
    });
}

void BatchThread::post(std::function<void()> task) {
    const std::lock_guard lock(mutex_);
    if (closing_)
        return;
    QMetaObject::invokeMethod(
        context_.get(), [this, task = std::move(task)] { serve(task, nullptr); },
        Qt::QueuedConnection);
}

void BatchThread::call(const std::function<void()>& task) {
    std::unique_lock lock(mutex_);
    if (closing_)
        return;
    bool ran = false;
    QMetaObject::invokeMethod(
        context_.get(), [this, &task, &ran] { serve(task, &ran); }, Qt::QueuedConnection);
    woken_.wait(lock, [this, &ran] { return ran || closing_; });
}

// Qt's queue hands a task over through locks ThreadSanitizer does not see; taking the one
// its poster held while queueing it makes the hand-over visible to it too.
void BatchThread::serve(const std::function<void()>& task, bool* ran) {
    { const std::lock_guard handedOver(mutex_); }
    task();
    {
        const std::lock_guard served(mutex_);
        if (ran != nullptr)
            *ran = true;
        ++served_;
    }
    woken_.notify_all();
}

void BatchThread::await(const std::function<bool()>& answered) {
    std::unique_lock lock(mutex_);
    while (!closing_) {
        lock.unlock();
        if (answered())
            return;
        lock.lock();
        const std::uint64_t seen = served_;
        woken_.wait_for(lock, std::chrono::milliseconds(50),
                        [this, seen] { return closing_ || served_ != seen; });
    }
}

} // namespace quorvel
