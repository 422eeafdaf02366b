#include "platform/posix/PosixFileSystem.h"

#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

PosixFileSystem::PosixFileSystem() : hooks_(std::make_unique<PosixHooks>()) {}

PosixFileSystem::~PosixFileSystem() = default;

PosixHooks& hooksOf(PosixFileSystem& fs) {
    return *fs.hooks_;
}

bool PosixFileSystem::isFolder(const std::string& path) {
    const auto st = sys::stat(path);
    return st && S_ISDIR(st.value().st_mode);
}

bool PosixFileSystem::exists(const std::string& path) {
    return sys::lstat(path).ok();
}

Result<std::int64_t> PosixFileSystem::modificationTime(const std::string& path) {
    const auto st = sys::stat(path);
    if (!st)
        return st.error();
    return static_cast<std::int64_t>(st.value().st_mtim.tv_sec);
}

Result<void> PosixFileSystem::removeFile(const std::string& path) {
    forgetSnapshots();
    return sys::unlink(path);
}

Result<void> PosixFileSystem::createFolder(const std::string& path) {
    forgetSnapshots();
    return sys::mkdir(path, 0777);
}

Result<void> PosixFileSystem::removeFolder(const std::string& path) {
    forgetSnapshots();
    return sys::rmdir(path);
}

Result<void> PosixFileSystem::syncFileSystem(const std::string& folder) {
    return writeback_.sync(folder);
}

std::string PosixFileSystem::workingFolder() {
    auto folder = sys::getcwd();
    return folder ? std::move(folder.value()) : std::string();
}

} // namespace quorvel
