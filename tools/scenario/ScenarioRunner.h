#pragma once

#include "app/MainWindow.h"
#include "journal/Journal.h"
#include "platform/exif/ExifCaptureDates.h"
#include "testing/ScriptedToolkit.h"

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

// What the runner takes from the real platform.
struct ScenarioPlatform {
    FileSystem& fs;
    Pictures& pictures;
    std::function<std::unique_ptr<SettingsStore>(const std::string& configFolder)> makeSettings;
    std::string defaultConfigFolder;
    ProgramInfo program;
    std::function<void(const std::string& folder)> changeWorkingFolder;
    JournalFiles& journalFiles;
};

// Runs the main window's logic from a script of user actions, one per line, and writes
// one JSON object per line for everything the window shows or asks.
class ScenarioRunner {
public:
    ScenarioRunner(ScenarioPlatform platform, std::istream& script, std::ostream& out);
    ~ScenarioRunner();

    // 0 when the script ran to its end, 2 after an error event.
    int run();

private:
    class EventShell;

    bool step();
    void execute(const std::string& line);
    void emit(const std::string& json);
    void showState(const std::string& name);
    void closeForm(const std::string& name);
    bool ignoredWhileInert(const std::string& action, const std::string& rest);
    void stopAfter(const std::string& count);
    MainWindow& window();
    Control& control(const std::string& name);

    ScenarioPlatform platform_;
    std::istream& script_;
    std::ostream& out_;
    ScriptedToolkit toolkit_;
    std::unique_ptr<EventShell> shell_;
    SystemClock clock_;
    ExifCaptureDates captureDates_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<Journal> journal_;
    std::string configFolder_;
    std::string programFolder_;
    // Empty until a script names it; the journal then goes into a folder of the script's
    // own, never into the user's home.
    std::string stateFolder_;
    bool configGiven_ = false;
    // The files after which the next batch has "Arrêter" pressed.
    std::optional<std::size_t> stopAfter_;
};

} // namespace quorvel
