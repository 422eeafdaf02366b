#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>
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

Result<void> PosixFileSystem::removeAt(Folder& folder, const std::string& name) {
    const int fd = descriptorOf(folder);
    if (fd < 0)
        return SystemError{"unlinkat", EBADF};
    forgetSnapshots();
    return sys::unlinkat(fd, name, 0);
}

} // namespace quorvel
