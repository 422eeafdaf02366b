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

} // namespace quorvel::sys
