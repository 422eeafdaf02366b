#pragma once

#include "controls/FormHost.h"
#include "platform/Toolkit.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quorvel {

// Something a handler showed or asked, in the order it happened.
struct ToolkitEvent {
    enum class Kind { Message, Question, Input, Beep };
    Kind kind = Kind::Message;
    std::string title;
    std::string text; // message or question text, input prompt
    std::string defaultText;
    std::string answer; // "yes"/"no" for a question, the text returned by an input box
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// A box came up that the script gave no answer for.
class ScriptError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The toolkit of tests and of the scenario runner: answers come from queues, and a wait
// runs the script's next actions through `pump`. Forms shown are only recorded.
class ScriptedToolkit : public Toolkit, public FormHost {
public:
    Reply message(const std::string& text, Icon icon, Buttons buttons,
                  const std::string& title) override;
    std::string input(const std::string& prompt, const std::string& title,
                      const std::string& defaultText) override;
    void beep() override;
    void setBusy(bool busy) override { busy_ = busy; }
    void processPendingEvents() override { ++pendingPumps_; }
    void showProgress(const std::string& text) override;
    // In line, so that tests and scripts see every result in a fixed order.
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    // The batch too runs in line, and its wait runs the script's next actions: only one of
    // the two sides runs at a time, as the script wrote it.
    void runBatch(std::function<void()> work, std::function<void()> done) override;
    void onWindow(const std::function<void()>& task) override { task(); }
    void postToWindow(std::function<void()> task) override { task(); }
    void awaitWindow(const std::function<bool()>& answered) override;
    void batchStep(std::size_t done) override;
    void showForm(Form& form) override;
    void destroyForm(Form& form) override;

    void queueInput(const std::string& text) { inputs_.push_back(text); }
    void queueAnswer(bool yes) { answers_.push_back(yes); }
    bool answersLeft() const { return !inputs_.empty() || !answers_.empty(); }

    // Runs one more user action while a handler waits; false when there is none left.
    std::function<bool()> pump;
    // Told after each file of a batch, where the user may act as the batch goes on.
    std::function<void(std::size_t done)> onBatchStep;
    // Told of every event as it happens.
    std::function<void(const ToolkitEvent&)> onEvent;

    const std::vector<ToolkitEvent>& events() const { return events_; }
    void clearEvents() { events_.clear(); }
    int beeps() const;
    bool busy() const { return busy_; }
    int pendingPumps() const { return pendingPumps_; }
    bool batchRunning() const { return batchRunning_; }
    const std::vector<std::string>& progress() const { return progress_; }
    const std::vector<Form*>& openForms() const { return openForms_; }

private:
    void record(const ToolkitEvent& event);

    std::deque<std::string> inputs_;
    std::deque<bool> answers_;
    std::vector<ToolkitEvent> events_;
    std::vector<std::string> progress_;
    std::vector<Form*> openForms_;
    bool busy_ = false;
    bool batchRunning_ = false;
    int pendingPumps_ = 0;
};

} // namespace quorvel
