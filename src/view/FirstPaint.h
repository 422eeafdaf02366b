#pragma once

#include <functional>

class QWidget;

namespace quorvel {

// Runs `then` once, on the event thread, as soon as `window` has first been painted on the
// screen, or after a second if it never is (a window that starts minimised). Nothing runs if
// the window goes away first.
void afterFirstPaint(QWidget& window, std::function<void()> then);

} // namespace quorvel
