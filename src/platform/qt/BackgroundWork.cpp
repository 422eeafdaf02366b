#include "platform/qt/BackgroundWork.h"

#include <QThreadPool>

namespace quorvel {

BackgroundWork::BackgroundWork() : receiver_(std::make_unique<QObject>()) {}

BackgroundWork::~BackgroundWork() {
    // Each piece of work posts its completion to the receiver, which must outlive it.
    QThreadPool::globalInstance()->waitForDone();
}

void BackgroundWork::run(std::function<void()> work, std::function<void()> done) {
    QObject* receiver = receiver_.get();
    QThreadPool::globalInstance()->start(
        [receiver, work = std::move(work), done = std::move(done)]() mutable {
            work();
            QMetaObject::invokeMethod(receiver, std::move(done), Qt::QueuedConnection);
        });
}

} // namespace quorvel
