#include "platform/qt/BackgroundWork.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThreadPool>

namespace quorvel {

BackgroundWork::BackgroundWork() : receiver_(std::make_unique<QObject>()) {}

BackgroundWork::~BackgroundWork() {
    // The work may hold references to services that outlive this object only; the receiver
    // must outlive the work, which posts to it.
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

void BackgroundWork::finish() {
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::sendPostedEvents(receiver_.get(), QEvent::MetaCall);
}

} // namespace quorvel
