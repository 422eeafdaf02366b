#include "view/FirstPaint.h"

#include <QEvent>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <utility>

namespace quorvel {

namespace {

// Hands `run` to the event loop at the window's first paint, so that it runs once that
// paint has reached the screen.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget& window, std::function<void()> run)
        : QObject(&window), run_(std::move(run)) {
        window.installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && run_) {
            watched->removeEventFilter(this);
            QTimer::singleShot(0, parent(), std::exchange(run_, {}));
        }
        return false;
    }

private:
    std::function<void()> run_;
};

} // namespace

void afterFirstPaint(QWidget& window, std::function<void()> then) {
    auto once = [then = std::move(then), ran = std::make_shared<bool>(false)] {
        if (!std::exchange(*ran, true))
            then();
    };
    new FirstPaint(window, once);
    QTimer::singleShot(1000, &window, once);
}

} // namespace quorvel
