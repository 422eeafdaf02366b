#include "testing/ScriptedToolkit.h"

#include <algorithm>

namespace quorvel {

void ScriptedToolkit::record(const ToolkitEvent& event) {
    events_.push_back(event);
    if (onEvent)
        onEvent(events_.back());
}

Reply ScriptedToolkit::message(const std::string& text, Icon icon, Buttons buttons,
                               const std::string& title) {
    ToolkitEvent event;
    event.title = title;
    event.text = text;
    event.icon = icon;
    event.buttons = buttons;
    if (buttons == Buttons::Ok) {
        event.kind = ToolkitEvent::Kind::Message;
        record(event);
        return Reply::Ok;
    }
    if (answers_.empty())
        throw ScriptError("no answer queued for the question \"" + title + "\"");
    const bool yes = answers_.front();
    answers_.pop_front();
    event.kind = ToolkitEvent::Kind::Question;
    event.answer = yes ? "yes" : "no";
    record(event);
    return yes ? Reply::Yes : Reply::No;
}

std::string ScriptedToolkit::input(const std::string& prompt, const std::string& title,
                                   const std::string& defaultText) {
    if (inputs_.empty())
        throw ScriptError("no answer queued for the input box \"" + title + "\"");
    ToolkitEvent event;
    event.kind = ToolkitEvent::Kind::Input;
    event.title = title;
    event.text = prompt;
    event.defaultText = defaultText;
    event.answer = inputs_.front();
    inputs_.pop_front();
    record(event);
    return event.answer;
}

void ScriptedToolkit::beep() {
    ToolkitEvent event;
    event.kind = ToolkitEvent::Kind::Beep;
    record(event);
}

void ScriptedToolkit::runBatch(std::function<void()> work, std::function<void()> done) {
    batchRunning_ = true;
    struct Ended {
        bool& running;
        ~Ended() { running = false; }
    } ended{batchRunning_};
    work();
    batchRunning_ = false;
    done();
}

void ScriptedToolkit::awaitWindow(const std::function<bool()>& answered) {
    while (!answered()) {
        if (!pump || !pump())
            throw ScriptError("the script ended while the window was waiting");
    }
}

void ScriptedToolkit::batchStep(std::size_t done) {
    if (onBatchStep)
        onBatchStep(done);
}

void ScriptedToolkit::showProgress(const std::string& text) {
    progress_.push_back(text);
}

void ScriptedToolkit::runInBackground(std::function<void()> work, std::function<void()> done) {
    work();
    done();
}

void ScriptedToolkit::showForm(Form& form) {
    if (std::find(openForms_.begin(), openForms_.end(), &form) == openForms_.end())
        openForms_.push_back(&form);
}

void ScriptedToolkit::destroyForm(Form& form) {
    openForms_.erase(std::remove(openForms_.begin(), openForms_.end(), &form), openForms_.end());
}

int ScriptedToolkit::beeps() const {
    return static_cast<int>(std::count_if(events_.begin(), events_.end(), [](const auto& e) {
        return e.kind == ToolkitEvent::Kind::Beep;
    }));
}

} // namespace quorvel
