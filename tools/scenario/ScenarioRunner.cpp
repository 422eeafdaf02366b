#include "scenario/ScenarioRunner.h"

#include "preview/Preview.h"
#include "scenario/Json.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <sstream>

namespace quorvel {

namespace {

const char* iconName(Icon icon) {
    switch (icon) {
    case Icon::Error:
        return "error";
    case Icon::Question:
        return "question";
    case Icon::None:
        break;
    }
    return "none";
}

std::string field(const char* key, const std::string& text) {
    return std::string(",\"") + key + "\":" + jsonString(text);
}

std::string field(const char* key, long long value) {
    return std::string(",\"") + key + "\":" + std::to_string(value);
}

std::string boolField(const char* key, bool value) {
    return std::string(",\"") + key + "\":" + (value ? "true" : "false");
}

std::string stringArray(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0)
            out += ',';
        out += jsonString(items[i]);
    }
    return out + "]";
}

std::string eventJson(const ToolkitEvent& event) {
    switch (event.kind) {
    case ToolkitEvent::Kind::Beep:
        return "{\"event\":\"beep\"}";
    case ToolkitEvent::Kind::Input:
        return "{\"event\":\"input\"" + field("title", event.title) + field("prompt", event.text) +
               field("default", event.defaultText) + field("answer", event.answer) + "}";
    case ToolkitEvent::Kind::Question:
        return "{\"event\":\"question\"" + field("title", event.title) +
               field("icon", iconName(event.icon)) + field("text", event.text) +
               field("answer", event.answer) + "}";
    case ToolkitEvent::Kind::Message:
        break;
    }
    return "{\"event\":\"message\"" + field("title", event.title) +
           field("icon", iconName(event.icon)) + field("buttons", "OK") +
           field("text", event.text) + "}";
}

// Splits off the first word; the rest keeps everything after the one blank that ends it.
std::string firstWord(std::string& rest) {
    const auto blank = rest.find(' ');
    std::string word = rest.substr(0, blank);
    rest = blank == std::string::npos ? std::string() : rest.substr(blank + 1);
    return word;
}

std::string folderListFields(const FolderList& folders) {
    std::string json = field("path", folders.path()) + field("highlighted", folders.highlighted()) +
                       ",\"entries\":{";
    bool first = true;
    for (int i = -folders.ancestorCount(); i < folders.subfolderCount(); ++i) {
        if (!first)
            json += ',';
        first = false;
        json += jsonString(std::to_string(i)) + ":" + jsonString(*folders.entry(i));
    }
    return json + "}";
}

std::string fileListFields(const FileList& files) {
    std::string json = field("path", files.path()) + field("pattern", files.pattern()) +
                       ",\"rows\":" + stringArray(files.rows()) + ",\"selected\":[";
    const std::vector<int> selected = files.selectedRows();
    for (std::size_t i = 0; i < selected.size(); ++i) {
        if (i > 0)
            json += ',';
        json += std::to_string(selected[i]);
    }
    return json + ']' + field("current", files.current());
}

std::string tableRows(const Table& table) {
    std::string out = "[";
    for (int row = 0; row < table.count(); ++row) {
        std::vector<std::string> cells;
        for (std::size_t column = 0; column < table.columns().size(); ++column)
            cells.emplace_back(table.cell(row, static_cast<int>(column)));
        out += (row > 0 ? "," : "") + stringArray(cells);
    }
    return out + "]";
}

int parseIndex(const std::string& text) {
    std::size_t used = 0;
    const int value = std::stoi(text, &used);
    if (used != text.size())
        throw ScriptError("not a number: " + text);
    return value;
}

} // namespace

class ScenarioRunner::EventShell : public Shell {
public:
    explicit EventShell(ScenarioRunner& runner) : runner_(runner) {}
    void open(const std::string& operation, const std::string& document, const std::string&,
              const std::string&) override {
        runner_.emit("{\"event\":\"shell\"" + field("operation", operation) +
                     field("document", document) + "}");
    }
    void showHelp(const std::string& helpFile) override {
        runner_.emit("{\"event\":\"help\"" + field("file", helpFile) + "}");
    }

private:
    ScenarioRunner& runner_;
};

ScenarioRunner::ScenarioRunner(ScenarioPlatform platform, std::istream& script, std::ostream& out)
    : platform_(std::move(platform)), script_(script), out_(out),
      shell_(std::make_unique<EventShell>(*this)), configFolder_(platform_.defaultConfigFolder),
      programFolder_(platform_.program.folder) {
    toolkit_.onEvent = [this](const ToolkitEvent& event) { emit(eventJson(event)); };
    toolkit_.pump = [this] { return step(); };
    toolkit_.onBatchStep = [this](std::size_t done) {
        if (stopAfter_ != done)
            return;
        stopAfter_.reset();
        control("cmdArreter").click();
    };
}

ScenarioRunner::~ScenarioRunner() = default;

void ScenarioRunner::emit(const std::string& json) {
    out_ << json << '\n' << std::flush;
}

int ScenarioRunner::run() {
    try {
        while (step()) {
        }
    } catch (const std::exception& error) {
        emit("{\"event\":\"error\"" + field("text", error.what()) + "}");
        return 2;
    }
    return 0;
}

bool ScenarioRunner::step() {
    std::string line;
    while (std::getline(script_, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        execute(line.substr(first));
        return true;
    }
    return false;
}

MainWindow& ScenarioRunner::window() {
    if (!window_)
        throw ScriptError("the window has not been started");
    return *window_;
}

Control& ScenarioRunner::control(const std::string& name) {
    Control* found = window().findControl(name);
    if (found == nullptr)
        throw ScriptError("unknown control: " + name);
    return *found;
}

void ScenarioRunner::execute(const std::string& line) {
    std::string rest = line;
    const std::string action = firstWord(rest);
    if (action == "config") {
        configFolder_ = rest;
        configGiven_ = true;
    } else if (action == "state") {
        stateFolder_ = rest;
    } else if (action == "program") {
        programFolder_ = rest;
    } else if (action == "cwd") {
        platform_.changeWorkingFolder(rest);
    } else if (action == "start") {
        if (window_)
            throw ScriptError("the window is already started");
        settings_ = platform_.makeSettings(configFolder_);
        ProgramInfo program = platform_.program;
        program.folder = programFolder_;
        // A script's program folder stands for the program with its files beside it.
        program.dataFolder.clear();
        // Without a state folder of its own, a script keeps its journal beside its
        // settings; with neither, nothing is recorded.
        const std::string state = !stateFolder_.empty() ? stateFolder_
                                  : configGiven_        ? configFolder_ + "/state"
                                                        : "";
        if (!state.empty())
            journal_ = std::make_unique<Journal>(platform_.journalFiles, state + "/quorvel");
        window_ = std::make_unique<MainWindow>(Services{toolkit_, platform_.fs, *settings_,
                                                        platform_.pictures, *shell_, clock_,
                                                        program, &captureDates_},
                                               toolkit_, journal_.get());
        window_->startUp();
        toolkit_.showForm(window_->form);
    } else if (ignoredWhileInert(action, rest)) {
        // A greyed control takes no input.
    } else if (action == "stop-after") {
        stopAfter(rest);
    } else if (action == "close" && !rest.empty()) {
        closeForm(rest);
    } else if (action == "close") {
        window().close();
    } else if (action == "drive") {
        auto& list = dynamic_cast<DriveList&>(control(firstWord(rest)));
        if (!list.setDrive(rest))
            throw ScriptError("no drive holds " + rest);
    } else if (action == "open") {
        auto& list = dynamic_cast<FolderList&>(control(firstWord(rest)));
        if (list.setPath(rest) != 0)
            throw ScriptError("cannot open the folder " + rest);
    } else if (action == "highlight") {
        auto& list = dynamic_cast<FolderList&>(control(firstWord(rest)));
        const int index = parseIndex(rest);
        if (!list.entry(index))
            throw ScriptError("no folder entry " + rest);
        list.highlight(index);
    } else if (action == "type") {
        Control& target = control(firstWord(rest));
        if (auto* box = dynamic_cast<TextBox*>(&target))
            box->setText(rest);
        else if (auto* combo = dynamic_cast<ComboBox*>(&target))
            combo->setText(rest);
        else
            throw ScriptError("not a text box: " + target.name());
    } else if (action == "pick") {
        auto& combo = dynamic_cast<ComboBox&>(control(firstWord(rest)));
        if (!combo.pick(rest))
            throw ScriptError("no entry " + rest + " in " + combo.name());
    } else if (action == "click") {
        control(rest).click();
    } else if (action == "toggle") {
        auto& list = dynamic_cast<FileList&>(control(firstWord(rest)));
        const int index = list.indexOf(rest);
        if (index < 0)
            throw ScriptError("no row " + rest + " in " + list.name());
        list.toggle(index);
    } else if (action == "answer") {
        toolkit_.queueInput(rest);
    } else if (action == "answer-yes") {
        toolkit_.queueAnswer(true);
    } else if (action == "answer-no") {
        toolkit_.queueAnswer(false);
    } else if (action == "show") {
        std::istringstream names(rest);
        std::string name;
        while (names >> name)
            showState(name);
    } else {
        throw ScriptError("unknown action: " + action);
    }
}

bool ScenarioRunner::ignoredWhileInert(const std::string& action, const std::string& rest) {
    static const char* const input[] = {"drive", "open", "highlight", "type", "pick", "toggle"};
    std::string name;
    if (action == "click")
        name = rest;
    else if (std::find(std::begin(input), std::end(input), action) != std::end(input))
        name = rest.substr(0, rest.find(' '));
    else
        return false;
    const Control* found = window().findControl(name);
    return found != nullptr && found->inert();
}

// "Arrêter" is pressed once the next batch has done `count` files.
void ScenarioRunner::stopAfter(const std::string& count) {
    std::size_t files = 0;
    try {
        files = std::stoul(count);
    } catch (const std::exception&) {
        throw ScriptError("not a count of files: " + count);
    }
    stopAfter_ = files;
}

// The user closes a window other than the main one with its close box.
void ScenarioRunner::closeForm(const std::string& name) {
    Control* found = window().findControl(name);
    if (found == nullptr || found->kind() != ControlKind::Form || found == &window().form)
        throw ScriptError("no open window " + name);
    if (auto& onClose = static_cast<Form*>(found)->onClose)
        onClose();
}

void ScenarioRunner::showState(const std::string& name) {
    std::string json = "{\"event\":\"state\"" + field("name", name);
    if (name == "Apercu") {
        const Form* preview = window().preview().form();
        emit(json + field("caption", "Aperçu du lot") + boolField("visible", preview != nullptr) +
             "}");
        return;
    }
    if (const auto value = window().variable(name)) {
        if (const auto* number = std::get_if<std::int64_t>(&*value))
            json += field("value", static_cast<long long>(*number));
        else
            json += field("value", std::get<std::string>(*value));
        emit(json + "}");
        return;
    }
    Control& target = control(name);
    switch (target.kind()) {
    case ControlKind::Form:
        json += field("caption", target.caption());
        break;
    case ControlKind::Frame:
    case ControlKind::Label:
        json += field("caption", target.caption());
        // The preview's summary is always shown, and is printed without it.
        if (name.rfind("Apercu.", 0) != 0)
            json += boolField("visible", target.visible());
        break;
    case ControlKind::TextBox:
        json += field("text", static_cast<TextBox&>(target).text());
        break;
    case ControlKind::ComboBox: {
        auto& combo = static_cast<ComboBox&>(target);
        json += field("text", combo.text()) + ",\"entries\":" + stringArray(combo.entries());
        break;
    }
    case ControlKind::OptionButton:
        json += field("caption", target.caption()) +
                boolField("value", static_cast<OptionButton&>(target).value());
        break;
    case ControlKind::CheckBox:
        json += field("caption", target.caption()) +
                boolField("value", static_cast<CheckBox&>(target).value());
        break;
    case ControlKind::CommandButton:
        json += field("caption", target.caption()) + boolField("visible", target.visible());
        break;
    case ControlKind::PictureButton:
        json += field("tooltip", target.tooltip());
        break;
    case ControlKind::Image: {
        const Geometry& g = target.geometry();
        json += field("picture", static_cast<Image&>(target).picture()) + field("left", g.left) +
                field("width", g.width) + field("height", g.height) +
                boolField("visible", target.visible());
        break;
    }
    case ControlKind::DriveList:
        json += field("text", static_cast<DriveList&>(target).drive());
        break;
    case ControlKind::FolderList:
        json += folderListFields(static_cast<FolderList&>(target));
        break;
    case ControlKind::FileList:
        json += fileListFields(static_cast<FileList&>(target));
        break;
    case ControlKind::Menu:
        // As the view shows it: a menu without an item stays out of the bar.
        json += field("caption", target.caption()) +
                boolField("visible", target.visible() && !target.children().empty());
        break;
    case ControlKind::Table:
        json += ",\"rows\":" + tableRows(static_cast<Table&>(target));
        break;
    case ControlKind::MenuItem: {
        auto& item = static_cast<MenuItem&>(target);
        json += field("caption", item.caption()) + boolField("enabled", item.enabled()) +
                boolField("checked", item.checked());
        break;
    }
    }
    emit(json + "}");
}

} // namespace quorvel
