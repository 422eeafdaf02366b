#include "platform/posix/PosixFileSystem.h"

#include "platform/posix/PosixInternals.h"

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
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool PosixFileSystem::exists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

int PosixFileSystem::modificationTime(const std::string& path, std::int64_t& seconds) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno;
    seconds = st.st_mtim.tv_sec;
    return 0;
}

int PosixFileSystem::removeFile(const std::string& path) {
    forgetSnapshots();
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::createFolder(const std::string& path) {
    forgetSnapshots();
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int PosixFileSystem::removeFolder(const std::string& path) {
    forgetSnapshots();
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

std::string PosixFileSystem::workingFolder() {
    char* path = ::getcwd(nullptr, 0);
    if (path == nullptr)
        return {};
    std::string folder(path);
    std::free(path);
    return folder;
}

} // namespace quorvel
