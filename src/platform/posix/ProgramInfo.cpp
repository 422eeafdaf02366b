#include "platform/posix/ProgramInfo.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <system_error>
#include <unistd.h>
#include <vector>

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

std::string installedDataFolder(const std::string& programFolder) {
    std::error_code error;
    const std::filesystem::path folder(programFolder);
    if (std::filesystem::exists(folder / helpFileName, error)) {
        return {};
    }
    // The help is looked for rather than the folder, so that a stray empty share/quorvel
    // does not hide a build tree's own files.
    const std::filesystem::path shared = folder.parent_path() / "share" / "quorvel";
    if (std::filesystem::is_regular_file(shared / helpFileName, error)) {
        return shared.lexically_normal().string();
    }
    return {};
}

ProgramInfo programInfo(const char* argv0) {
    const std::filesystem::path exe = runningProgram(argv0);
    ProgramInfo info;
    info.folder = exe.parent_path().string();
    // "quorvel" stays "quorvel", "quorvel.bin" becomes "quorvel", ".quorvel" stays whole.
    info.baseName = exe.stem().string();
    info.dataFolder = installedDataFolder(info.folder);
    return info;
}

namespace {

// The home folder the password database gives, through the reentrant call: the state folder
// may be asked for while a worker runs.
std::string passwordHome() {
    passwd entry{};
    passwd* found = nullptr;
    std::vector<char> buffer(16384);
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || entry.pw_dir == nullptr)
        return {};
    return entry.pw_dir;
}

// $VARIABLE when it is set to an absolute path, otherwise the home folder joined with
// `fallback`: an empty or relative value is invalid and ignored, as the base directory
// rules say.
std::string baseFolder(const char* variable, const char* fallback) {
    if (const char* xdg = std::getenv(variable); xdg != nullptr && xdg[0] == '/') {
        return xdg;
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env != nullptr && *env != '\0') {
        home = env;
    } else {
        home = passwordHome();
    }
    if (!home.empty() && home.back() == '/') {
        home.pop_back();
    }
    return home + fallback;
}

} // namespace

std::string defaultConfigFolder() {
    return baseFolder("XDG_CONFIG_HOME", "/.config");
}

std::string defaultStateFolder() {
    return baseFolder("XDG_STATE_HOME", "/.local/state");
}

} // namespace quorvel
