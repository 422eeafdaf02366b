#include "platform/posix/ProgramInfo.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace quorvel {

namespace {

std::filesystem::path runningProgram(const char* argv0) {
    std::error_code error;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        return exe;
    }
    if (argv0 == nullptr || *argv0 == '\0') {
        return {};
    }
    exe = std::filesystem::absolute(argv0, error);
    return error ? std::filesystem::path(argv0) : exe.lexically_normal();
}

} // namespace

ProgramInfo programInfo(const char* argv0) {
    const std::filesystem::path exe = runningProgram(argv0);
    ProgramInfo info;
    info.folder = exe.parent_path().string();
    // "quorvel" stays "quorvel", "quorvel.bin" becomes "quorvel", ".quorvel" stays whole.
    info.baseName = exe.stem().string();
    return info;
}

std::string defaultConfigFolder() {
    // An empty or relative value is invalid and ignored, as the base directory rules say.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
        home = env;
    } else if (const passwd* user = getpwuid(getuid()); user != nullptr && user->pw_dir) {
        home = user->pw_dir;
    }
    if (!home.empty() && home.back() == '/') {
        home.pop_back();
    }
    return home + "/.config";
}

} // namespace quorvel
