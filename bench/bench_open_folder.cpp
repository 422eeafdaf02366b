// Opening a folder of many files in the source pane (the whole folder change: both file
// lists, the folder lists, the status lines), against one bare directory pass.
#include "Doubles.h"
#include "Timing.h"
#include "app/MainWindow.h"
#include "platform/posix/PosixFileSystem.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using quorvel::bench::bareDirectoryPass;
using quorvel::bench::NoPictures;

using quorvel::bench::best;
using quorvel::bench::Clock;
using quorvel::bench::forgetPeak;
using quorvel::bench::peakMegabytes;
using quorvel::bench::seconds;

} // namespace

int main(int argc, char** argv) {
    const int files = quorvel::bench::fileCount(argc, argv, 100000);
    const std::string root = quorvel::bench::freshRoot();
    const std::string folder = root + "/photos";
    const std::string other = root + "/other";
    std::filesystem::create_directories(folder);
    std::filesystem::create_directories(other);
    for (int i = 0; i < 20; ++i)
        std::filesystem::create_directories(folder + "/album" + std::to_string(i));
    for (int i = 0; i < files; ++i) {
        const std::string name = folder + "/IMG_" + std::to_string(i) + (i % 10 ? ".jpg" : ".JPG");
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
        ::close(fd);
    }

    quorvel::PosixFileSystem fs;
    quorvel::ScriptedToolkit toolkit;
    quorvel::MemorySettingsStore settings;
    NoPictures pictures;
    quorvel::RecordingShell shell;
    quorvel::SystemClock clock;
    settings.write("quorvel-bench", "Data", "Dir", other);
    quorvel::MainWindow window(
        quorvel::Services{toolkit, fs, settings, pictures, shell, clock, {root, "quorvel-bench"}},
        toolkit);
    window.startUp();

    forgetPeak();
    const int runs = 5;
    const double bare = best(runs, [&] { bareDirectoryPass(folder); });
    double open = 1e9;
    for (int i = 0; i < runs; ++i) {
        // Every timed run is a real change of folder, from a small one, and reads the folder
        // afresh: it changed a moment ago, as a folder does when a camera card is copied in.
        window.sourceFolders.setPath(other);
        const std::string marker = folder + "/changed.txt";
        ::close(::open(marker.c_str(), O_CREAT | O_WRONLY, 0644));
        ::unlink(marker.c_str());
        ::usleep(200000);
        const auto begin = Clock::now();
        window.sourceFolders.setPath(folder);
        open = std::min(open, seconds(Clock::now() - begin));
    }
    std::printf("open a folder of %d files in the source pane: %.4f s; bare directory pass: "
                "%.4f s; ratio %.2f (goal <= 4)\n",
                files, open, bare, open / bare);
    std::printf("    listed %d files, %s; peak memory %.0f MB\n", window.sourceFiles.count(),
                window.sourceStatus.text().c_str(), peakMegabytes());
    std::filesystem::remove_all(root);
    return 0;
}
