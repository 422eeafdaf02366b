#include "platform/qtservices/BackgroundWork.h"

#include "platform/qtservices/DecodeBounds.h"

#include <QObject>
#include <condition_variable>
#include <mutex>

namespace quorvel {

QThreadPool& backgroundPool() {
    // Never destroyed: its destructor would wait for a thread that the kernel holds.
    static QThreadPool* const pool = new QThreadPool;
    return *pool;
}

bool finishBackgroundWork(std::chrono::milliseconds allowed) {
    stopEveryDecode();
    return backgroundPool().waitForDone(int(allowed.count()));
}

// What the pieces under way share with their owner: where their completions go while it
// lives, and how many are still running.
struct BackgroundWork::Pieces {
    std::mutex mutex;
    std::condition_variable finished;
    std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
    int running = 0;
};

BackgroundWork::BackgroundWork() : pieces_(std::make_shared<Pieces>()) {}

BackgroundWork::~BackgroundWork() {
    std::unique_lock lock(pieces_->mutex);
    pieces_->finished.wait(lock, [this] { return pieces_->running == 0; });
    pieces_->receiver.reset();
}

void BackgroundWork::run(std::function<void()> work, std::function<void()> done) {
    {
        const std::lock_guard lock(pieces_->mutex);
        ++pieces_->running;
    }
    backgroundPool().start(
        [pieces = pieces_, work = std::move(work), done = std::move(done)]() mutable {
            work();
            const std::lock_guard lock(pieces->mutex);
            if (pieces->receiver)
                QMetaObject::invokeMethod(pieces->receiver.get(), std::move(done),
                                          Qt::QueuedConnection);
            --pieces->running;
            pieces->finished.notify_all();
        });
}

} // namespace quorvel
