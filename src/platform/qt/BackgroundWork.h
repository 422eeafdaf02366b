#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace quorvel {

// Work away from the event thread, on Qt's global pool of one thread per core, each piece
// followed by its completion on the thread that made this object. Needs a running Qt
// application (QCoreApplication is enough).
class BackgroundWork {
public:
    BackgroundWork();
    // Waits for the work under way; completions not yet run are dropped.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    void run(std::function<void()> work, std::function<void()> done);

private:
    std::unique_ptr<QObject> receiver_;
};

} // namespace quorvel
