#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>

namespace quorvel {

Result<std::unique_ptr<Folder>> PosixFileSystem::openFolder(const std::string& path,
                                                            bool followLink) {
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW);
    Result<int> opened = sys::openat(AT_FDCWD, path, flags);
    if (!opened)
        return opened.error();
    Descriptor fd(opened.value());
    const auto st = sys::fstat(fd.get());
    if (!st)
        return st.error();
    return std::unique_ptr<Folder>(
        std::make_unique<PosixFolder>(path, identityOf(st.value()), fd.release()));
}

Result<FileIdentity> PosixFileSystem::identifyAt(Folder& folder, const std::string& name) {
    const int fd = descriptorOf(folder);
    if (fd < 0)
        return SystemError{"statx", EBADF};
    return identityOf(TRY(sys::statxAt(fd, name.c_str(), 0)));
}

EntryInodes PosixFileSystem::entryInodes(Folder& folder) {
    const int fd = descriptorOf(folder);
    if (fd < 0 || localVolume(fd) != LocalVolume::Yes)
        return {};
    Result<sys::FolderStream> dir = sys::readFolder(fd);
    if (!dir)
        return {};
    EntryInodes inodes;
    std::string sample;
    std::uint64_t sampleInode = 0;
    for (;;) {
        const Result<const dirent*> next = dir.value().next();
        if (!next)
            return {};
        const dirent* entry = next.value();
        if (entry == nullptr)
            break;
        if (entry->d_type != DT_REG && entry->d_type != DT_LNK)
            continue;
        inodes.add(entry->d_name, entry->d_ino);
        if (sample.empty()) {
            sample = entry->d_name;
            sampleInode = entry->d_ino;
        }
    }
    if (sample.empty())
        return {};
    // One file asked confirms that the volume numbers both alike.
    const Result<struct statx> asked = sys::statxAt(fd, sample.c_str(), 0, STATX_INO);
    if (!asked || asked.value().stx_ino != sampleInode)
        return {};
    inodes.seal();
    return inodes;
}

Result<void> PosixFileSystem::removeAt(Folder& folder, const std::string& name) {
    const int fd = descriptorOf(folder);
    if (fd < 0)
        return SystemError{"unlinkat", EBADF};
    forgetSnapshots();
    return sys::unlinkat(fd, name, 0);
}

} // namespace quorvel
