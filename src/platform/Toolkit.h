#pragma once

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
    // Handles the user's input and repaints until done() holds; never spins the processor.
    virtual void processEventsUntil(const std::function<bool()>& done) = 0;
    // Handles what is pending now, then returns.
    virtual void processPendingEvents() = 0;
    // Shows how far a long run has come and repaints the window without taking user
    // input; an empty text removes the indication.
    virtual void showProgress(const std::string& text) = 0;
    // Runs `work` away from the event thread, on a few threads shared by every caller, then
    // `done` on the event thread once the window next handles its events; the window keeps
    // answering meanwhile. `work` must not touch the window.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;
};

} // namespace quorvel
