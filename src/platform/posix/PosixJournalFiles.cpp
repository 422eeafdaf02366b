#include "platform/posix/PosixJournalFiles.h"

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
    ~PosixAppendFile() override { ::close(fd_); }
    PosixAppendFile(const PosixAppendFile&) = delete;
    PosixAppendFile& operator=(const PosixAppendFile&) = delete;

    Result<void> append(std::string_view bytes) override {
        while (!bytes.empty()) {
            const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
            if (written < 0) {
                if (errno == EINTR)
                    continue;
                return lastError("write");
            }
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
        return {};
    }

    Result<void> sync() override {
        if (::fdatasync(fd_) != 0)
            return lastError("fdatasync");
        return {};
    }

    Result<void> cutTo(std::uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0)
            return lastError("ftruncate");
        return {};
    }

private:
    int fd_;
};

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

Result<void> syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastError("open");
    const int synced = ::fsync(fd);
    const SystemError error = lastError("fsync");
    ::close(fd);
    if (synced != 0)
        return error;
    return {};
}

std::int64_t nanoseconds(const timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
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
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return lastError("opendir");
    std::vector<std::string> result;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            result.push_back(name);
    }
    ::closedir(dir);
    return result;
}

Result<std::string> PosixJournalFiles::read(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return lastError("open");
    std::string data;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            const SystemError error = lastError("read");
            ::close(fd);
            return error;
        }
        if (got == 0)
            break;
        data.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return data;
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::create(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0)
        return lastError("open");
    std::unique_ptr<AppendFile> file = std::make_unique<PosixAppendFile>(fd);
    // A journal whose name a power cut could take away would protect nothing.
    if (Result<void> synced = syncFolder(parentOf(path)); !synced)
        return synced.error();
    return file;
}

Result<std::unique_ptr<AppendFile>> PosixJournalFiles::openAppend(const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return lastError("open");
    return std::unique_ptr<AppendFile>(std::make_unique<PosixAppendFile>(fd));
}

Result<void> PosixJournalFiles::remove(const std::string& path) {
    if (::unlink(path.c_str()) != 0)
        return lastError("unlink");
    return {};
}

Result<FileIdentity> PosixJournalFiles::identify(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return lastError("lstat");
    return FileIdentity{st.st_dev, st.st_ino, static_cast<std::uint64_t>(st.st_size),
                        nanoseconds(st.st_mtim), nanoseconds(st.st_ctim)};
}

} // namespace quorvel
