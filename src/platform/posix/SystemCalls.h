#pragma once

// One thin wrapper per system call that the program's platform units make: each returns
// its value or the failure named after the call, so that a report can say which one
// failed. What they open is owned by the RAII types below, so no path leaks it.

#include "platform/Result.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quorvel {

// An open file descriptor, closed with its owner.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        reset(other.release());
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

namespace sys {

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

// The entries of an open folder, read one by one; the stream is closed with its owner.
class FolderStream {
public:
    explicit FolderStream(DIR* dir) : dir_(dir) {}
    FolderStream(FolderStream&& other) noexcept : dir_(std::exchange(other.dir_, nullptr)) {}
    FolderStream& operator=(FolderStream&&) = delete;
    FolderStream(const FolderStream&) = delete;
    FolderStream& operator=(const FolderStream&) = delete;
    ~FolderStream() {
        if (dir_ != nullptr)
            ::closedir(dir_);
    }
    int fd() const { return ::dirfd(dir_); }
    // The next entry, or null at the end; at the end, a failed read is a failure.
    Result<const dirent*> next() {
        errno = 0;
        if (const dirent* entry = ::readdir(dir_))
            return entry;
        if (errno != 0)
            return lastError("readdir");
        return static_cast<const dirent*>(nullptr);
    }

private:
    DIR* dir_;
};

inline Result<FolderStream> opendir(const std::string& path) {
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr)
        return lastError("opendir");
    return FolderStream(dir);
}

// The entries of a folder already open; `folder` stays open and the caller's.
inline Result<FolderStream> readFolder(int folder) {
    Descriptor reader(::dup(folder));
    if (!reader.valid())
        return lastError("dup");
    DIR* dir = ::fdopendir(reader.get());
    if (dir == nullptr)
        return lastError("fdopendir");
    reader.release();
    // The copy shares the original's offset, which an earlier read may have left at the end.
    ::rewinddir(dir);
    return FolderStream(dir);
}

// Reads at `offset` until `size` bytes or the end; an interrupted read is made again.
inline Result<std::size_t> pread(int fd, char* into, std::size_t size, std::uint64_t offset) {
    for (;;) {
        const ssize_t got = ::pread(fd, into, size, static_cast<off_t>(offset));
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return lastError("pread");
    }
}

inline Result<void> fsync(int fd) {
    if (::fsync(fd) != 0)
        return lastError("fsync");
    return {};
}

inline Result<void> fdatasync(int fd) {
    if (::fdatasync(fd) != 0)
        return lastError("fdatasync");
    return {};
}

inline Result<void> syncfs(int fd) {
    if (::syncfs(fd) != 0)
        return lastError("syncfs");
    return {};
}

inline Result<void> ftruncate(int fd, std::uint64_t size) {
    if (::ftruncate(fd, static_cast<off_t>(size)) != 0)
        return lastError("ftruncate");
    return {};
}

inline Result<void> fchmod(int fd, mode_t mode) {
    if (::fchmod(fd, mode) != 0)
        return lastError("fchmod");
    return {};
}

inline Result<void> fchmodat(int folder, const std::string& name, mode_t mode) {
    if (::fchmodat(folder, name.c_str(), mode, 0) != 0)
        return lastError("fchmodat");
    return {};
}

// The path with every link and "." or ".." resolved.
inline Result<std::string> realpath(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return lastError("realpath");
    std::string result(resolved);
    ::free(resolved);
    return result;
}

// The time of day, as the file system stamps files with it.
inline struct timespec realTime() {
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now;
}

// Whether a process of this number runs, as far as this process can tell: one it may not
// signal still runs.
inline bool processExists(pid_t process) {
    return ::kill(process, 0) == 0 || errno != ESRCH;
}

// The process working folder.
inline Result<std::string> getcwd() {
    char* path = ::getcwd(nullptr, 0);
    if (path == nullptr)
        return lastError("getcwd");
    std::string text(path);
    std::free(path);
    return text;
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

// flags: AT_SYMLINK_NOFOLLOW to look at a link itself, 0 to follow it.
inline Result<struct stat> statAt(int folder, const std::string& name, int flags) {
    struct stat st {};
    if (::fstatat(folder, name.c_str(), &st, flags) != 0)
        return lastError("fstatat");
    return st;
}

inline Result<struct statfs> fstatfs(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0)
        return lastError("fstatfs");
    return info;
}

// Sets the times of an open file: access, then modification.
inline Result<void> futimens(int fd, const struct timespec (&times)[2]) {
    if (::futimens(fd, times) != 0)
        return lastError("futimens");
    return {};
}

// A range copied by the kernel from the current offsets, which move with it; 0 at the end.
inline Result<std::size_t> copyFileRange(int from, int to, std::size_t size) {
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, size, 0);
        if (copied >= 0)
            return static_cast<std::size_t>(copied);
        if (errno != EINTR)
            return lastError("copy_file_range");
    }
}

// Does not follow a link; by default asks for the birth time where the volume keeps one.
inline Result<struct statx> statxAt(int folder, const char* name, int flags,
                                    unsigned mask = STATX_BASIC_STATS | STATX_BTIME) {
    struct statx sx {};
    if (::statx(folder, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, mask, &sx) != 0)
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

// An exclusive lock, waited for.
inline Result<void> lockExclusiveWaiting(int fd) {
    for (;;) {
        if (::flock(fd, LOCK_EX) == 0)
            return {};
        if (errno != EINTR)
            return lastError("flock");
    }
}

} // namespace sys
} // namespace quorvel
