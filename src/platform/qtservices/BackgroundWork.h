#pragma once

#include <QThreadPool>
#include <chrono>
#include <functional>
#include <memory>

namespace quorvel {

// The program's own threads for work away from the event thread, one per core. Not Qt's
// global pool, which Qt waits for as the application ends, however long its work takes.
QThreadPool& backgroundPool();

// At the program's end: asks every picture's decode to give up, then waits at most `allowed`
// for the background threads. False when some are still held (a read the kernel does not
// give back): the program must then end without waiting for them, nor destroying what they
// use.
bool finishBackgroundWork(std::chrono::milliseconds allowed);

// Work on the program's pool, each piece followed by its completion on the thread that made
// this object. Needs a running Qt application (QCoreApplication is enough).
class BackgroundWork {
public:
    BackgroundWork();
    // Waits for its own work under way, which its completions may refer to (at the program's
    // end, finishBackgroundWork has already bounded that wait); completions not yet run are
    // dropped.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    void run(std::function<void()> work, std::function<void()> done);

private:
    struct Pieces;
    std::shared_ptr<Pieces> pieces_;
};

} // namespace quorvel
