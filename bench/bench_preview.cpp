// Planning the preview of a folder of many files again after a change of the rename panel
// (time-stamp scheme), against one bare directory pass of the same folder.
#include "Doubles.h"
#include "Timing.h"
#include "app/MainWindow.h"
#include "controls/Controls.h"
#include "platform/posix/PosixFileSystem.h"
#include "preview/Preview.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using quorvel::bench::bareDirectoryPass;
using quorvel::bench::NoPictures;

using quorvel::bench::best;
using quorvel::bench::forgetPeak;
using quorvel::bench::peakMegabytes;

} // namespace

int main(int argc, char** argv) {
    const int files = quorvel::bench::fileCount(argc, argv, 100000);
    const std::string root = quorvel::bench::freshRoot();
    const std::string folder = root + "/photos";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < files; ++i) {
        const std::string name = folder + "/IMG_" + std::to_string(i) + ".jpg";
        // A photo a second: every file gets a name of its own.
        const int fd = ::open(name.c_str(), O_CREAT | O_WRONLY, 0644);
        const timespec times[2] = {{1700000000 + i, 0}, {1700000000 + i, 0}};
        ::futimens(fd, times);
        ::close(fd);
    }

    forgetPeak();
    quorvel::PosixFileSystem fs;
    quorvel::ScriptedToolkit toolkit; // plans in line: each change is planned before it returns
    quorvel::MemorySettingsStore settings;
    NoPictures pictures;
    quorvel::RecordingShell shell;
    quorvel::SystemClock clock;
    settings.write("quorvel-bench", "Data", "Dir", folder);
    quorvel::MainWindow window(
        quorvel::Services{toolkit, fs, settings, pictures, shell, clock, {root, "quorvel-bench"}},
        toolkit);
    window.startUp();
    window.schemeOptions[3]->click();
    const int runs = 5;
    // What opening the folder costs before any preview, against which planning is weighed:
    // read afresh, the folder having changed a moment ago.
    double opened = 1e9;
    for (int i = 0; i < runs; ++i) {
        const std::string marker = folder + "/changed.txt";
        ::close(::open(marker.c_str(), O_CREAT | O_WRONLY, 0644));
        ::unlink(marker.c_str());
        ::usleep(200000);
        opened = std::min(opened, best(1, [&] { window.sourceFiles.refresh(); }));
    }
    window.mnuApercu.click();

    const double bare = best(runs, [&] { bareDirectoryPass(folder); });
    int round = 0;
    // Changing the generic name changes no time-stamp name, but the run would read it, so
    // the preview plans the whole folder again.
    const double replan =
        best(runs, [&] { window.genericName.setText("Photo" + std::to_string(++round)); });
    // A new reading of the source list plans with every file's time read afresh.
    const double reread = best(runs, [&] { window.sourceFiles.refresh(); });
    auto& liste = *static_cast<quorvel::Table*>(window.preview().form()->find("Liste"));
    std::printf("plan the preview of %d files again (time stamps): %.4f s; bare directory "
                "pass: %.4f s; ratio %.2f (goal <= 3)\n",
                files, replan, bare, replan / bare);
    std::printf("read the source list again and plan from the disk: %.4f s; ratio %.2f (for "
                "information)\n",
                reread, reread / bare);
    std::printf("planning against opening the folder without a preview (%.4f s): ratio %.2f "
                "(goal <= 2)\n",
                opened, replan / opened);
    std::printf("    %d rows, %s; peak memory %.0f MB\n", liste.count(),
                window.preview().form()->find("Resume")->caption().c_str(), peakMegabytes());
    std::filesystem::remove_all(root);
    return 0;
}
