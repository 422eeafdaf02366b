// The program's window on the screen, with a large folder saved from the last session,
// against a minimal Qt program, the usual one that shows a line of text: both measured from the
// moment the process is started, as a user waits for them. Then the moment the saved folder is in
// the lists. Run it under a display (xvfb-run) or with QT_QPA_PLATFORM=offscreen.
#include "Doubles.h"
#include "Timing.h"
#include "platform/qtservices/QtSettingsStore.h"
#include "program/Program.h"
#include "view/FirstPaint.h"

#include <QApplication>
#include <QLabel>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using quorvel::bench::Clock;
using quorvel::bench::seconds;

// A child tells its parent each moment by a line on its standard output.
void tell(const char* moment) {
    const std::string line = std::string(moment) + "\n";
    static_cast<void>(::write(STDOUT_FILENO, line.data(), line.size()));
}

int minimalProgram(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Bonjour"));
    window.resize(800, 600);
    window.show();
    quorvel::afterFirstPaint(window, [] {
        tell("shown");
        QApplication::quit();
    });
    return QApplication::exec();
}

int realProgram(int argc, char** argv) {
    return quorvel::runProgram(argc, argv,
                               {[] { tell("shown"); },
                                [] {
                                    tell("filled");
                                    QApplication::quit();
                                }});
}

struct Moments {
    double shown = 1e9;
    double filled = 1e9;
};

// Starts this benchmark again as `mode` and times the lines it writes.
Moments timeChild(const char* self, const char* mode) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        std::exit(1);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipe[0]);
    char* const args[] = {const_cast<char*>(self), const_cast<char*>(mode), nullptr};
    const auto begin = Clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, self, &actions, nullptr, args, environ) != 0)
        std::exit(1);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe[1]);
    Moments moments;
    std::string pending;
    char buffer[64];
    for (ssize_t got; (got = ::read(pipe[0], buffer, sizeof buffer)) > 0;) {
        const double now = seconds(Clock::now() - begin);
        pending.append(buffer, static_cast<std::size_t>(got));
        if (pending.find("shown") != std::string::npos)
            moments.shown = std::min(moments.shown, now);
        if (pending.find("filled") != std::string::npos)
            moments.filled = std::min(moments.filled, now);
    }
    ::close(pipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return moments;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "--minimal")
        return minimalProgram(argc, argv);
    if (mode == "--window")
        return realProgram(argc, argv);
    const int files = quorvel::bench::fileCount(argc, argv, 100000);
    const std::string root = quorvel::bench::freshRoot();
    const std::string folder = root + "/photos";
    std::filesystem::create_directories(folder);
    for (int i = 0; i < files; ++i) {
        const std::string name = folder + "/IMG_" + std::to_string(i) + ".jpg";
        ::close(::open(name.c_str(), O_CREAT | O_WRONLY, 0644));
    }
    // The children find the folder saved, and keep their undo journals, under the root.
    ::setenv("XDG_CONFIG_HOME", (root + "/config").c_str(), 1);
    ::setenv("XDG_STATE_HOME", (root + "/state").c_str(), 1);
    std::filesystem::create_directories(root + "/config");
    quorvel::QtSettingsStore settings(root + "/config");
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    settings.write(std::filesystem::path(self).stem().string(), "Data", "Dir", folder);
    if (!settings.commit())
        return 1;

    Moments minimal;
    Moments program;
    for (int round = 0; round < 5; ++round) {
        minimal.shown = std::min(minimal.shown, timeChild(self.c_str(), "--minimal").shown);
        const Moments one = timeChild(self.c_str(), "--window");
        program.shown = std::min(program.shown, one.shown);
        program.filled = std::min(program.filled, one.filled);
    }
    std::printf("a minimal Qt window (one line of text) shown: %.3f s; the program's window shown "
                "with %d files "
                "saved: %.3f s, ratio %.2f (goal <= 2); the lists filled: %.3f s, ratio %.2f\n",
                minimal.shown, files, program.shown, program.shown / minimal.shown, program.filled,
                program.filled / minimal.shown);
    std::filesystem::remove_all(root);
    return 0;
}
