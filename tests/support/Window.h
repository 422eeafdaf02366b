#pragma once

#include "app/MainWindow.h"
#include "platform/exif/ExifCaptureDates.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TestHooks.h"
#include "testing/FaultyFileSystem.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"

#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>

namespace quorvel::test {

// A fresh folder under /tmp, removed with everything inside when the test ends.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    // Creates a file (and its folders) with the given content; returns its full path.
    std::string file(const std::string& relative, const std::string& content = "x") const;
    // Creates the file with the given modification time.
    std::string file(const std::string& relative, std::time_t modified,
                     const std::string& content = "x") const;
    std::string folder(const std::string& relative) const;

private:
    std::string path_;
};

std::string readFile(const std::string& path);
bool exists(const std::string& path);
std::time_t modificationTime(const std::string& path);
// Every non-hidden file name of a folder, sorted by bytes.
std::vector<std::string> namesIn(const std::string& folder);
// Local time to seconds since the epoch.
std::time_t localTime(int year, int month, int day, int hour, int minute, int second);

class FakePictures : public Pictures {
public:
    std::optional<PictureSize> naturalSize(const std::string& path) override {
        const auto it = sizes.find(path);
        if (it == sizes.end())
            return std::nullopt;
        return it->second;
    }
    // A picture of `sizes` decodes, unless `faults` names why it does not; the frame asked
    // for is kept in `frames`.
    LoadedPicture load(const std::string& path,
                       const std::function<PictureSize(const PictureSize&)>& frameFor,
                       std::stop_token stop) override {
        stopped[path] = stop.stop_requested();
        LoadedPicture loaded;
        loaded.natural = naturalSize(path);
        if (!loaded.natural)
            return loaded;
        frames[path] = frameFor(*loaded.natural);
        const auto fault = faults.find(path);
        if (fault != faults.end()) {
            loaded.fault = fault->second;
            return loaded;
        }
        loaded.picture = std::make_shared<Picture>();
        loaded.fault = PictureFault::None;
        return loaded;
    }
    std::map<std::string, PictureSize> sizes;
    std::map<std::string, PictureFault> faults;
    std::map<std::string, PictureSize> frames;
    // Whether the load of a path was already asked to stop when it ran.
    std::map<std::string, bool> stopped;
};

// A toolkit whose background work waits until the test runs it, in the order it chooses.
class DeferringToolkit : public ScriptedToolkit {
public:
    void runInBackground(std::function<void()> work, std::function<void()> done) override {
        pending_.push_back({std::move(work), std::move(done)});
    }
    std::size_t pending() const { return pending_.size(); }
    // Runs the work started `index`-th among those still pending, then its completion.
    void finish(std::size_t index) {
        auto [work, done] = std::move(pending_.at(index));
        pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(index));
        work();
        done();
    }

private:
    std::vector<std::pair<std::function<void()>, std::function<void()>>> pending_;
};

class FixedClock : public Clock {
public:
    std::time_t now() override { return time; }
    std::time_t time = 0;
};

// A main window over the real file system (through the fault-injecting wrapper), the
// scripted toolkit, settings in memory and a fixed clock.
class WindowTest : public ::testing::Test {
protected:
    WindowTest();

    // Builds the window with the program's folder in the temporary folder and runs
    // start-up; settings seeded beforehand are read.
    MainWindow& start();
    // The source pane (and so the target pane) on a folder.
    void openSource(const std::string& folder);
    // Starts the window on `folder` with the panel of the worked example: _Vacances from 1
    // by 2, two digits, scheme 0.
    MainWindow& vacances(const std::string& folder);
    // While the run waits, each wait runs the next of these as the user's actions; `waits`
    // counts the waits that ran one.
    void duringWaits(std::vector<std::function<void()>> actions);
    void seed(const std::string& key, const std::string& value) {
        settings.seed("quorvel", "Data", key, value);
    }
    // The texts of the messages and questions shown since the last call, in order.
    std::vector<std::string> texts();
    const ToolkitEvent& lastEvent() const { return toolkit.events().back(); }

    TempFolder temp;
    PosixFileSystem realFs;
    FaultyFileSystem fs{realFs};
    ScriptedToolkit toolkit;
    MemorySettingsStore settings;
    FakePictures pictures;
    RecordingShell shell;
    FixedClock clock;
    ExifCaptureDates captureDates;
    std::string programFolder;
    std::string dataFolder;                 // empty: the help and pictures sit beside the program
    Journal* journal = nullptr;             // where start() has the window record its batches
    FolderWatcher* folderWatcher = nullptr; // what tells start()'s window of disk changes
    std::unique_ptr<MainWindow> window;
    int waits = 0;
};

} // namespace quorvel::test
