#include "platform/posix/PosixJournalFiles.h"

#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

namespace {

class PosixAppendFile : public AppendFile {
public:
    explicit PosixAppendFile(int fd) : fd_(fd) {}

    Result<void> append(std::string_view bytes) override {
        return sys::writeAll(fd_.get(), bytes.data(), bytes.size());
    }

    Result<void> sync() override {
        if (::fdatasync(fd_.get()) != 0)
            return lastError("fdatasync");
        return {};
    }

    Result<void> cutTo(std::uint64_t size) override {
        if (::ftruncate(fd_.get(), static_cast<off_t>(size)) != 0)
            return lastError("ftruncate");
        return {};
    }

    Result<std::string> readAll() override { return readWhole(fd_.get()); }

    // Read in pieces, so that a file growing past the cap while it is read stops there.
    static Result<std::string> readWhole(int fd) {
        std::string data;
        std::vector<char> buffer(std::size_t{1} << 16);
        for (off_t offset = 0;;) {
            const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), offset);
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return lastError("read");
            if (got == 0)
                return data;
            if (data.size() + static_cast<std::size_t>(got) > maxBytes)
                return SystemError{"read", EFBIG};
            data.append(buffer.data(), static_cast<std::size_t>(got));
            offset += got;
        }
    }

private:
    Descriptor fd_;
};

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

Result<void> syncFolder(const std::string& folder) {
    const auto opened = sys::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (!opened)
        return opened.error();
    Descriptor fd(opened.value());
    if (::fsync(fd.get()) != 0)
        return lastError("fsync");
    return {};
}

// Looked at before it is opened, so that a pipe or a device is never opened at all; what
// is opened is checked again, in case the name changed hands in between.
Result<int> openJournal(const std::string& path, int flags) {
    const auto before = sys::lstat(path);
    if (!before)
        return before.error();
    if (S_ISLNK(before.value().st_mode))
        return SystemError{"open", ELOOP};
    if (!S_ISREG(before.value().st_mode))
        return SystemError{"open", EINVAL};
    if (static_cast<std::uint64_t>(before.value().st_size) > AppendFile::maxBytes)
        return SystemError{"open", EFBIG};
    const auto opened = sys::open(path, flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (!opened)
        return opened.error();
    Descriptor fd(opened.value());
    const auto after = sys::fstat(fd.get());
    if (!after)
        return after.error();
    if (!S_ISREG(after.value().st_mode) || !sameEntry(before.value(), after.value()))
        return SystemError{"open", EINVAL};
    return fd.release();
}

// Whether the path still names the open file: a file removed, or replaced, before its lock
// was taken is no longer the journal of that name.
bool stillNamed(int fd, const std::string& path) {
    const auto open = sys::fstat(fd);
    const auto named = sys::lstat(path);
    return open && named && sameEntry(open.value(), named.value()) && open.value().st_nlink > 0;
}

} // namespace

Result<void> PosixJournalFiles::makeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return {};
    if (errno != ENOENT || path.empty() || path == "/")
        return lastError("mkdir");
    if (Result<void> parent = makeFolder(parentOf(path)); !parent)
        return parent;
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return lastError("mkdir");
    return {};
}

Result<std::vector<std::string>> PosixJournalFiles::names(const std::string& folder) {
    const auto dir = sys::opendir(folder);
    if (!dir)
        return dir.error();
    std::vector<std::string> result;
    while (const dirent* entry = ::readdir(dir.value())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            result.push_back(name);
    }
    ::closedir(dir.value());
    return result;
}

Result<std::string> PosixJournalFiles::read(const std::string& path) {
    const auto opened = openJournal(path, O_RDONLY);
    if (!opened)
        return opened.error();
    Descriptor fd(opened.value());
    return PosixAppendFile::readWhole(fd.get());
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::create(const std::string& path) {
    const auto opened =
        sys::open(path, O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (!opened)
        return opened.error();
    auto file = std::make_unique<PosixAppendFile>(opened.value());
    // Another program may look at the new, empty file before its lock is taken, and remove
    // it as the leftover of a crash: then the name is given up and another one is taken.
    for (;;) {
        if (::flock(opened.value(), LOCK_EX) == 0)
            break;
        if (errno != EINTR)
            return lastError("flock");
    }
    if (!stillNamed(opened.value(), path))
        return SystemError{"flock", EAGAIN};
    // A journal whose name a power cut could take away would protect nothing.
    if (Result<void> synced = syncFolder(parentOf(path)); !synced)
        return synced.error();
    return std::unique_ptr<AppendFile>(std::move(file));
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::openLocked(const std::string& path) {
    const auto opened = openJournal(path, O_RDWR | O_APPEND);
    if (!opened)
        return opened.error();
    auto file = std::make_unique<PosixAppendFile>(opened.value());
    if (Result<void> locked = sys::lockExclusive(opened.value()); !locked)
        return locked.error();
    // Its writer may have removed it (a batch that changed nothing) before the lock came.
    if (!stillNamed(opened.value(), path))
        return SystemError{"open", ENOENT};
    return std::unique_ptr<AppendFile>(std::move(file));
}

Result<void> PosixJournalFiles::remove(const std::string& path) {
    return sys::unlink(path);
}

Result<FileIdentity> PosixJournalFiles::identify(const std::string& path) {
    const auto sx = sys::statxAt(AT_FDCWD, path, 0);
    if (!sx)
        return sx.error();
    return identityOf(sx.value());
}

Result<FileIdentity> PosixJournalFiles::identifyFolder(const std::string& path) {
    const auto st = sys::stat(path);
    if (!st)
        return st.error();
    return identityOf(st.value());
}

} // namespace quorvel
