#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace quorvel {

enum class Icon { None, Error, Question };
// YesNoDefaultNo: a question whose Yes cannot be taken back; Enter answers No.
enum class Buttons { Ok, YesNo, YesNoDefaultNo };
enum class Reply { Ok, Yes, No };

// The desktop services a handler needs in the middle of its work.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // Modal; lines of text are separated by "\r\n".
    virtual Reply message(const std::string& text, Icon icon, Buttons buttons,
                          const std::string& title) = 0;
    // Modal one-line input; the empty string when cancelled.
    virtual std::string input(const std::string& prompt, const std::string& title,
                              const std::string& defaultText) = 0;
    virtual void beep() = 0;
    // Application-wide busy pointer on or back to the default.
    virtual void setBusy(bool busy) = 0;
    // Handles what is pending now, then returns.
    virtual void processPendingEvents() = 0;
    // Shows how far a long run has come and repaints the window without taking user
    // input; an empty text removes the indication.
    virtual void showProgress(const std::string& text) = 0;
    // Runs `work` away from the event thread, on a few threads shared by every caller, then
    // `done` on the event thread once the window next handles its events; the window keeps
    // answering meanwhile. `work` must not touch the window.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;

    // A batch of file changes beside the window: `work` runs on the program's own batch
    // thread, then `done` on the event thread; the window keeps answering meanwhile. One
    // batch at a time.
    virtual void runBatch(std::function<void()> work, std::function<void()> done) = 0;
    // From the batch thread: runs `task` on the event thread and returns once it has run.
    // The controls of the window are touched only there.
    virtual void onWindow(const std::function<void()>& task) = 0;
    // From the batch thread: runs `task` on the event thread later, without waiting.
    virtual void postToWindow(std::function<void()> task) = 0;
    // From the batch thread: waits, while the window handles the user's input, until
    // `answered` holds. It is asked on the batch thread and reads only what is safe there.
    virtual void awaitWindow(const std::function<bool()>& answered) = 0;
    // From the batch thread after each file: `done` files of the batch are behind it.
    virtual void batchStep(std::size_t done) { static_cast<void>(done); }
};

// The busy pointer for as long as it lives: back to the default however the work ends.
class BusyPointer {
public:
    explicit BusyPointer(Toolkit& toolkit) : toolkit_(toolkit) { toolkit_.setBusy(true); }
    ~BusyPointer() { toolkit_.setBusy(false); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    Toolkit& toolkit_;
};

} // namespace quorvel
