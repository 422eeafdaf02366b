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

    Result<void> sync() override { return sys::fdatasync(fd_.get()); }

    Result<void> cutTo(std::uint64_t size) override { return sys::ftruncate(fd_.get(), size); }

    Result<std::string> readAll() override { return readWhole(fd_.get()); }

    // Read in pieces, so that a file growing past the cap while it is read stops there.
    static Result<std::string> readWhole(int fd) {
        std::string data;
        std::vector<char> buffer(std::size_t{1} << 16);
        for (std::uint64_t offset = 0;;) {
            const std::size_t got = TRY(sys::pread(fd, buffer.data(), buffer.size(), offset));
            if (got == 0)
                return data;
            if (data.size() + got > maxBytes)
                return SystemError{"read", EFBIG};
            data.append(buffer.data(), got);
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
    const Descriptor fd(TRY(sys::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC)));
    return sys::fsync(fd.get());
}

// Looked at before it is opened, so that a pipe or a device is never opened at all; what
// is opened is checked again, in case the name changed hands in between.
Result<int> openJournal(const std::string& path, int flags) {
    const struct stat before = TRY(sys::lstat(path));
    if (S_ISLNK(before.st_mode))
        return SystemError{"open", ELOOP};
    if (!S_ISREG(before.st_mode))
        return SystemError{"open", EINVAL};
    if (static_cast<std::uint64_t>(before.st_size) > AppendFile::maxBytes)
        return SystemError{"open", EFBIG};
    Descriptor fd(TRY(sys::open(path, flags | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC)));
    const struct stat after = TRY(sys::fstat(fd.get()));
    if (!S_ISREG(after.st_mode) || !sameEntry(before, after))
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
    const Result<void> made = sys::mkdir(path, 0700);
    if (made || made.code() == EEXIST)
        return {};
    if (made.code() != ENOENT || path.empty() || path == "/")
        return made;
    TRY(makeFolder(parentOf(path)));
    if (const Result<void> again = sys::mkdir(path, 0700); !again && again.code() != EEXIST)
        return again;
    return {};
}

Result<std::vector<std::string>> PosixJournalFiles::names(const std::string& folder) {
    sys::FolderStream dir = TRY(sys::opendir(folder));
    std::vector<std::string> result;
    while (const dirent* entry = TRY(dir.next())) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            result.push_back(name);
    }
    return result;
}

Result<std::string> PosixJournalFiles::read(const std::string& path) {
    const Descriptor fd(TRY(openJournal(path, O_RDONLY)));
    return PosixAppendFile::readWhole(fd.get());
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::create(const std::string& path) {
    const int fd =
        TRY(sys::open(path, O_RDWR | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0600));
    auto file = std::make_unique<PosixAppendFile>(fd);
    // Another program may look at the new, empty file before its lock is taken, and remove
    // it as the leftover of a crash: then the name is given up and another one is taken.
    TRY(sys::lockExclusiveWaiting(fd));
    if (!stillNamed(fd, path))
        return SystemError{"flock", EAGAIN};
    // A journal whose name a power cut could take away would protect nothing.
    TRY(syncFolder(parentOf(path)));
    return std::unique_ptr<AppendFile>(std::move(file));
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::openLocked(const std::string& path) {
    const int fd = TRY(openJournal(path, O_RDWR | O_APPEND));
    auto file = std::make_unique<PosixAppendFile>(fd);
    TRY(sys::lockExclusive(fd));
    // Its writer may have removed it (a batch that changed nothing) before the lock came.
    if (!stillNamed(fd, path))
        return SystemError{"open", ENOENT};
    return std::unique_ptr<AppendFile>(std::move(file));
}

Result<void> PosixJournalFiles::remove(const std::string& path) {
    return sys::unlink(path);
}

Result<FileIdentity> PosixJournalFiles::identify(const std::string& path) {
    return identityOf(TRY(sys::statxAt(AT_FDCWD, path.c_str(), 0)));
}

Result<FileIdentity> PosixJournalFiles::identifyFolder(const std::string& path) {
    const auto st = sys::stat(path);
    if (!st)
        return st.error();
    return identityOf(st.value());
}

} // namespace quorvel
