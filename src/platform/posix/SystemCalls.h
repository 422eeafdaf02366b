#pragma once

// One thin wrapper per system call that the file system units make: each returns its
// value or the failure named after the call, so that a report can say which one failed.

#include "platform/Result.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace quorvel::sys {

inline Result<struct stat> stat(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return lastError("stat");
    return st;
}

inline Result<struct stat> lstat(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return lastError("lstat");
    return st;
}

inline Result<struct stat> fstat(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return lastError("fstat");
    return st;
}

inline Result<int> open(const std::string& path, int flags, mode_t mode = 0) {
    const int fd = ::open(path.c_str(), flags, mode);
    if (fd < 0)
        return lastError("open");
    return fd;
}

inline Result<void> close(int fd) {
    if (::close(fd) != 0)
        return lastError("close");
    return {};
}

// Bytes read into buffer, 0 at the end; an interrupted read is made again.
inline Result<std::size_t> read(int fd, std::vector<char>& buffer) {
    for (;;) {
        const ssize_t got = ::read(fd, buffer.data(), buffer.size());
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return lastError("read");
    }
}

// Writes all of data, going on after a short or interrupted write. A write that takes
// nothing means the disk is full.
inline Result<void> writeAll(int fd, const char* data, std::size_t size) {
    for (std::size_t done = 0; done < size;) {
        const ssize_t put = ::write(fd, data + done, size - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put < 0)
            return lastError("write");
        if (put == 0)
            return SystemError{"write", ENOSPC};
        done += static_cast<std::size_t>(put);
    }
    return {};
}

inline Result<DIR*> opendir(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return lastError("opendir");
    return dir;
}

inline Result<void> unlink(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return lastError("unlink");
    return {};
}

inline Result<void> mkdir(const std::string& path, mode_t mode) {
    if (::mkdir(path.c_str(), mode) != 0)
        return lastError("mkdir");
    return {};
}

inline Result<void> rmdir(const std::string& path) {
    if (::rmdir(path.c_str()) != 0)
        return lastError("rmdir");
    return {};
}

inline Result<void> link(const std::string& from, const std::string& to) {
    if (::link(from.c_str(), to.c_str()) != 0)
        return lastError("link");
    return {};
}

inline Result<void> rename(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0)
        return lastError("rename");
    return {};
}

inline Result<void> renameNoReplace(const std::string& from, const std::string& to) {
    if (::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) !=
        0)
        return lastError("renameat2");
    return {};
}

inline Result<int> inotifyInit(int flags) {
    const int fd = ::inotify_init1(flags);
    if (fd < 0)
        return lastError("inotify_init1");
    return fd;
}

inline Result<int> inotifyAddWatch(int fd, const std::string& path, std::uint32_t mask) {
    const int watch = ::inotify_add_watch(fd, path.c_str(), mask);
    if (watch < 0)
        return lastError("inotify_add_watch");
    return watch;
}

inline Result<void> inotifyRemoveWatch(int fd, int watch) {
    if (::inotify_rm_watch(fd, watch) != 0)
        return lastError("inotify_rm_watch");
    return {};
}

// The calls relative to an open folder, each taking a bare name within it.

inline Result<int> openat(int folder, const std::string& name, int flags, mode_t mode = 0) {
    const int fd = ::openat(folder, name.c_str(), flags, mode);
    if (fd < 0)
        return lastError("openat");
    return fd;
}

inline Result<void> renameNoReplaceAt(int fromFolder, const std::string& from, int toFolder,
                                      const std::string& to) {
    if (::syscall(SYS_renameat2, fromFolder, from.c_str(), toFolder, to.c_str(),
                  RENAME_NOREPLACE) != 0)
        return lastError("renameat2");
    return {};
}

inline Result<void> renameat(int fromFolder, const std::string& from, int toFolder,
                             const std::string& to) {
    if (::renameat(fromFolder, from.c_str(), toFolder, to.c_str()) != 0)
        return lastError("renameat");
    return {};
}

inline Result<void> linkat(int fromFolder, const std::string& from, int toFolder,
                           const std::string& to, int flags) {
    if (::linkat(fromFolder, from.c_str(), toFolder, to.c_str(), flags) != 0)
        return lastError("linkat");
    return {};
}

inline Result<void> unlinkat(int folder, const std::string& name, int flags) {
    if (::unlinkat(folder, name.c_str(), flags) != 0)
        return lastError("unlinkat");
    return {};
}

// Does not follow a link; asks for the birth time where the volume keeps one.
inline Result<struct statx> statxAt(int folder, const std::string& name, int flags) {
    struct statx sx {};
    if (::statx(folder, name.c_str(), flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_BASIC_STATS | STATX_BTIME, &sx) != 0)
        return lastError("statx");
    return sx;
}

// An exclusive lock that does not wait: EWOULDBLOCK when another open file holds it.
inline Result<void> lockExclusive(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return {};
        if (errno != EINTR)
            return lastError("flock");
    }
}

} // namespace quorvel::sys
