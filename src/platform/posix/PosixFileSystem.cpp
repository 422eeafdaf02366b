#include "platform/posix/PosixFileSystem.h"

#include "platform/Names.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <utility>

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif

namespace quorvel {

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(-1); }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }
    void reset(int fd) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

int errorOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

// A name beside `path`, in the same folder.
std::string sibling(const std::string& path, const std::string& name) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Temporary names must not meet those of another process or of an earlier attempt.
std::string temporaryName(const char* purpose) {
    static std::atomic<unsigned> counter{0};
    return ".quorvel-" + std::string(purpose) + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// What deleteTree needs to know of an entry, without following a link.
struct EntryInfo {
    bool isFolder = false;
    bool mountRoot = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
};

int entryInfo(int folder, const char* name, EntryInfo& info) {
    struct statx sx {};
    if (::statx(folder, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT,
                STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO, &sx) != 0)
        return errno;
    info.isFolder = S_ISDIR(sx.stx_mode);
    info.mountRoot = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 &&
                     (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    info.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    info.inode = sx.stx_ino;
    info.mode = sx.stx_mode;
    info.owner = sx.stx_uid;
    return 0;
}

// Opens a folder of the tree for reading and deleting. A folder the user owns but may not
// read, search or write is opened up first, since its entries are about to go anyway.
int openTreeFolder(int parent, const char* name, const EntryInfo& info, Descriptor& folder) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const bool owned = info.owner == ::geteuid();
    folder.reset(::openat(parent, name, flags));
    if (folder.get() < 0 && errno == EACCES && owned) {
        ::fchmodat(parent, name, (info.mode & 07777) | S_IRWXU, 0);
        folder.reset(::openat(parent, name, flags));
    }
    if (folder.get() < 0)
        return errno;
    struct stat opened {};
    if (::fstat(folder.get(), &opened) != 0)
        return errno;
    // The entry was swapped between the look and the open: leave it alone.
    if (opened.st_dev != info.device || opened.st_ino != info.inode)
        return EXDEV;
    if (owned && (opened.st_mode & S_IRWXU) != S_IRWXU)
        ::fchmod(folder.get(), (opened.st_mode & 07777) | S_IRWXU);
    return 0;
}

void leaveEntry(TreeDeleteResult& result, const std::string& path, int error) {
    ++result.left;
    if (result.firstLeft.empty())
        result.firstLeft = path;
    if (result.error == 0)
        result.error = error;
}

// Copies until the end of the source, through the kernel when it can.
int copyData(int source, int target) {
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        if (kernelCopy) {
            const ssize_t copied =
                ::copy_file_range(source, nullptr, target, nullptr, std::size_t{1} << 30, 0);
            if (copied > 0)
                continue;
            if (copied == 0)
                return 0;
            if (errno == EINTR)
                continue;
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP &&
                errno != EBADF)
                return errno;
            // Offsets moved with what was copied: the plain loop goes on from there.
            kernelCopy = false;
            buffer.resize(std::size_t{1} << 20);
        }
        const ssize_t got = ::read(source, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (got == 0)
            return 0;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(target, buffer.data() + done, got - done);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            if (put == 0)
                return ENOSPC;
            done += put;
        }
    }
}

// Sorts names in natural order through precomputed keys kept side by side in one buffer.
// The first 32 bytes of each key, held in the row, settle nearly every comparison: names
// that share a date or a long prefix differ within them.
void sortNaturally(std::vector<std::string>& names) {
    constexpr std::size_t words = 4;
    struct Row {
        std::uint64_t head[words];
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t index;
    };
    std::string keys;
    keys.reserve(names.size() * 32);
    std::vector<Row> rows;
    rows.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t offset = keys.size();
        appendNaturalSortKey(keys, names[i]);
        Row row{{},
                offset,
                static_cast<std::uint32_t>(keys.size() - offset),
                static_cast<std::uint32_t>(i)};
        // Big-endian, zero-padded: no key holds a zero byte, so the padding sorts first.
        for (std::size_t k = 0; k < words * 8; ++k) {
            const auto byte = k < row.length ? static_cast<unsigned char>(keys[offset + k]) : 0;
            row.head[k / 8] = (row.head[k / 8] << 8) | byte;
        }
        rows.push_back(row);
    }
    const char* base = keys.data();
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        for (std::size_t w = 0; w < words; ++w) {
            if (a.head[w] != b.head[w])
                return a.head[w] < b.head[w];
        }
        const int order = std::string_view(base + a.offset, a.length)
                              .compare(std::string_view(base + b.offset, b.length));
        return order != 0 ? order < 0 : names[a.index] < names[b.index];
    });
    std::vector<std::string> sorted;
    sorted.reserve(names.size());
    for (const Row& row : rows)
        sorted.push_back(std::move(names[row.index]));
    names = std::move(sorted);
}

// File systems whose folder times change with every entry added, removed or renamed, at
// a granularity well under the safety margin below.
bool trustworthyTimes(int fd) {
    struct statfs info {};
    if (::fstatfs(fd, &info) != 0)
        return false;
    switch (static_cast<unsigned long>(info.f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // f2fs
    case 0x794C7630: // overlay
        return true;
    default:
        return false;
    }
}

std::int64_t nanoseconds(const struct timespec& time) {
    return static_cast<std::int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

} // namespace

// One directory pass: the files and the folders of a folder, each sorted once.
struct PosixFileSystem::Snapshot {
    std::string folder;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modified = 0;
    std::int64_t changed = 0;
    // Taken long enough after the folder's last change that any later change moves its
    // times: only then may the snapshot stand for the folder.
    bool trusted = false;
    std::int64_t taken = 0; // when the read ended
    std::vector<std::string> files;
    std::vector<std::string> folders;
};

std::shared_ptr<const PosixFileSystem::Snapshot>
PosixFileSystem::snapshot(const std::string& folder, int& error) {
    error = 0;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) {
        error = errno;
        return nullptr;
    }
    const int fd = ::dirfd(dir);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = errno;
        ::closedir(dir);
        return nullptr;
    }
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    // A snapshot finished a moment ago is as good as a read now: it only stands in for a
    // read made that moment earlier. An older one must be trusted.
    constexpr std::int64_t recent = 50'000'000;
    for (const auto& cached : snapshots_) {
        if ((cached->trusted || nanoseconds(now) - cached->taken < recent) &&
            cached->folder == folder && cached->device == st.st_dev && cached->inode == st.st_ino &&
            cached->modified == nanoseconds(st.st_mtim) &&
            cached->changed == nanoseconds(st.st_ctim)) {
            ::closedir(dir);
            return cached;
        }
    }
    auto taken = std::make_shared<Snapshot>();
    taken->folder = folder;
    taken->device = st.st_dev;
    taken->inode = st.st_ino;
    taken->modified = nanoseconds(st.st_mtim);
    taken->changed = nanoseconds(st.st_ctim);
    constexpr std::int64_t margin = 100'000'000;
    taken->trusted = trustworthyTimes(fd) && taken->modified < nanoseconds(now) - margin &&
                     taken->changed < nanoseconds(now) - margin;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        if (entry->d_name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // What a link stands for can change without the folder's times moving.
            taken->trusted = false;
            struct stat target {};
            if (::fstatat(fd, entry->d_name, &target, 0) != 0)
                continue; // a dangling link is neither a file nor a folder
            type = S_ISREG(target.st_mode) ? DT_REG : S_ISDIR(target.st_mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG)
            taken->files.emplace_back(entry->d_name);
        else if (type == DT_DIR)
            taken->folders.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    sortNaturally(taken->files);
    sortNaturally(taken->folders);
    if (error != 0)
        taken->trusted = false;
    // A large folder takes long enough to read that both lists of a pane, read one after
    // the other, would otherwise never share it.
    struct timespec done {};
    ::clock_gettime(CLOCK_REALTIME, &done);
    taken->taken = nanoseconds(done);
    snapshots_.insert(snapshots_.begin(), taken);
    // Two panes, each with its folder list and its file list: four folders at most matter.
    if (snapshots_.size() > 4)
        snapshots_.pop_back();
    return taken;
}

namespace {

bool startsWithFolder(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

bool realFileSystem(std::string_view type) {
    static constexpr std::string_view kept[] = {
        "ext2",    "ext3",    "ext4", "xfs",  "btrfs", "vfat", "exfat", "ntfs", "ntfs3",
        "fuseblk", "iso9660", "udf",  "f2fs", "nfs",   "nfs4", "cifs",  "smb3", "zfs"};
    return std::find(std::begin(kept), std::end(kept), type) != std::end(kept);
}

bool userVisible(std::string_view mountPoint, std::string_view type) {
    if (startsWithFolder(mountPoint, "/run/media"))
        return realFileSystem(type) || type.starts_with("fuse.");
    for (const std::string_view hidden : {"/proc", "/sys", "/dev", "/run", "/snap"}) {
        if (startsWithFolder(mountPoint, hidden))
            return false;
    }
    if (type.starts_with("fuse.")) {
        for (const std::string_view userPlace : {"/media", "/mnt", "/home"}) {
            if (startsWithFolder(mountPoint, userPlace))
                return true;
        }
        return false;
    }
    return realFileSystem(type);
}

// Mount points are written with octal escapes for blanks, tabs, new lines and "\".
std::string decodeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

} // namespace

int PosixFileSystem::step(Step which, const std::string& from, const std::string& to) const {
    return stepHook_ ? stepHook_(which, from, to) : 0;
}

Listing PosixFileSystem::listFiles(const std::string& folder, const std::string& pattern) {
    Listing listing;
    const auto taken = snapshot(folder, listing.error);
    if (taken == nullptr)
        return listing;
    if (pattern == "*.*" || pattern == "*") {
        listing.names = taken->files;
        return listing;
    }
    // The snapshot is in order already: filtering keeps it.
    for (const std::string& name : taken->files) {
        if (matchesPattern(name, pattern))
            listing.names.push_back(name);
    }
    return listing;
}

Listing PosixFileSystem::listFolders(const std::string& folder) {
    Listing listing;
    if (const auto taken = snapshot(folder, listing.error))
        listing.names = taken->folders;
    return listing;
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

int PosixFileSystem::renameStep(const std::string& from, const std::string& to) const {
    int error = step(Step::Rename, from, to);
    if (error == 0) {
        error = ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                          RENAME_NOREPLACE) == 0
                    ? 0
                    : errno;
    }
    if (error != EINVAL && error != ENOSYS)
        return error;
    // The file system does not take the flag. A hard link cannot replace anything either.
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode)) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            if (::unlink(from.c_str()) == 0)
                return 0;
            const int unlinkError = errno;
            ::unlink(to.c_str());
            return unlinkError;
        }
        if (errno != EPERM && errno != EOPNOTSUPP && errno != EMLINK)
            return errno;
    }
    // No hard links either (FAT): the last resort leaves a narrow window open.
    if (::lstat(to.c_str(), &st) == 0)
        return EEXIST;
    if (errno != ENOENT)
        return errno;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    forgetSnapshots();
    const int error = renameStep(from, to);
    // A file offered its own name finds it taken, by itself.
    if (error != EEXIST || from == to)
        return error;
    struct stat source {};
    struct stat target {};
    if (::lstat(from.c_str(), &source) != 0 || ::lstat(to.c_str(), &target) != 0 ||
        !sameEntry(source, target))
        return EEXIST;
    // The "existing" target is the entry itself, seen through a case-insensitive file
    // system. (Two hard links look the same; there the second step refuses.)
    return renameThroughTemporary(from, to);
}

int PosixFileSystem::renameThroughTemporary(const std::string& from, const std::string& to) const {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = sibling(from, temporaryName("rename"));
        const int away = renameStep(from, temporary);
        if (away == EEXIST)
            continue;
        if (away != 0)
            return away;
        const int into = renameStep(temporary, to);
        if (into != 0)
            renameStep(temporary, from);
        return into;
    }
    return EEXIST;
}

int PosixFileSystem::fillTarget(int source, const struct stat& st, int target,
                                const std::string& from, const std::string& to) const {
    int error = step(Step::CopyData, from, to);
    if (error == 0)
        error = copyData(source, target);
    if (error != 0)
        return error;
    // Permission bits only: the copy belongs to whoever makes it, so set-id bits stay off.
    if (::fchmod(target, st.st_mode & 0777) != 0)
        return errno;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (::futimens(target, times) != 0)
        return errno;
    return 0;
}

int PosixFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    forgetSnapshots();
    Descriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.get() < 0)
        return errno;
    // Looked at before the copy reads it, which may move its access time.
    struct stat st {};
    if (::fstat(source.get(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    int error = step(Step::TempFile, from, to);
    Descriptor target;
    if (error == 0) {
        target.reset(::open(folderOf(to).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600));
        error = target.get() < 0 ? errno : 0;
    }
    if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
        return copyThroughHiddenFile(source.get(), st, from, to);
    if (error != 0)
        return error;
    // Until it is linked, the file has no name: closing it on failure is all the cleanup.
    error = fillTarget(source.get(), st, target.get(), from, to);
    if (error == 0)
        error = step(Step::LinkTarget, from, to);
    if (error != 0)
        return error;
    // AT_EMPTY_PATH spares resolving a /proc path for every file, where the process may
    // use it; once refused, it is not asked again.
    if (!emptyPathRefused_) {
        if (::linkat(target.get(), "", AT_FDCWD, to.c_str(), AT_EMPTY_PATH) == 0)
            return 0;
        if (errno != ENOENT && errno != EPERM)
            return errno;
        emptyPathRefused_ = true;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(target.get());
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0 ? 0
                                                                                          : errno;
}

int PosixFileSystem::copyThroughHiddenFile(int source, const struct stat& st,
                                           const std::string& from, const std::string& to) const {
    std::string temporary;
    Descriptor target;
    for (int attempt = 0; attempt < 100 && target.get() < 0; ++attempt) {
        temporary = sibling(to, temporaryName("copy"));
        target.reset(::open(temporary.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600));
        if (target.get() < 0 && errno != EEXIST)
            return errno;
    }
    if (target.get() < 0)
        return EEXIST;
    int error = fillTarget(source, st, target.get(), from, to);
    if (::close(target.release()) != 0 && error == 0)
        error = errno;
    if (error == 0)
        error = renameStep(temporary, to);
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
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

int PosixFileSystem::removeEntry(int folder, const char* name, const std::string& fullPath,
                                 bool isFolder) const {
    const int error = treeRemovalHook_ ? treeRemovalHook_(fullPath) : 0;
    if (error != 0)
        return error;
    return ::unlinkat(folder, name, isFolder ? AT_REMOVEDIR : 0) == 0 ? 0 : errno;
}

void PosixFileSystem::deleteEntries(int folder, const std::string& folderPath, std::uint64_t device,
                                    TreeDeleteResult& result) const {
    // The whole listing first: deleting while reading may skip or repeat entries.
    struct Entry {
        std::string name;
        unsigned char type;
    };
    std::vector<Entry> entries;
    const int reader = ::dup(folder);
    DIR* dir = reader >= 0 ? ::fdopendir(reader) : nullptr;
    if (dir == nullptr) {
        if (reader >= 0)
            ::close(reader);
        if (result.error == 0)
            result.error = errorOr(EIO);
        return;
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            if (errno != 0 && result.error == 0)
                result.error = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), entry->d_type});
    }
    ::closedir(dir);

    for (const Entry& entry : entries) {
        const std::string fullPath = joinPath(folderPath, entry.name);
        bool isFolder = false;
        if (entry.type == DT_DIR || entry.type == DT_UNKNOWN) {
            EntryInfo info;
            const int error = entryInfo(folder, entry.name.c_str(), info);
            if (error == ENOENT)
                continue; // gone meanwhile
            if (error != 0) {
                leaveEntry(result, fullPath, error);
                continue;
            }
            isFolder = info.isFolder;
            if (isFolder) {
                if (info.device != device || info.mountRoot) {
                    leaveEntry(result, fullPath, EXDEV);
                    continue;
                }
                Descriptor child;
                const int opened = openTreeFolder(folder, entry.name.c_str(), info, child);
                if (opened != 0) {
                    leaveEntry(result, fullPath, opened);
                    continue;
                }
                deleteEntries(child.get(), fullPath, device, result);
            }
        }
        const int error = removeEntry(folder, entry.name.c_str(), fullPath, isFolder);
        if (error == 0)
            ++result.removed;
        else if (error != ENOENT)
            leaveEntry(result, fullPath, error);
    }
}

TreeDeleteResult PosixFileSystem::deleteTree(const std::string& given) {
    forgetSnapshots();
    TreeDeleteResult result;
    // A trailing "/" would make the look below follow a link.
    std::string path = given;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    if (path == "/") {
        leaveEntry(result, path, EBUSY);
        return result;
    }
    EntryInfo info;
    const int error = entryInfo(AT_FDCWD, path.c_str(), info);
    if (error != 0) {
        result.error = error;
        return result;
    }
    if (!info.isFolder) {
        struct stat st {};
        const bool link = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
        leaveEntry(result, path, link ? ELOOP : ENOTDIR);
        return result;
    }
    Descriptor root;
    const int opened = openTreeFolder(AT_FDCWD, path.c_str(), info, root);
    if (opened != 0) {
        leaveEntry(result, path, opened);
        return result;
    }
    deleteEntries(root.get(), path, info.device, result);
    root.reset(-1);
    const int removed = removeEntry(AT_FDCWD, path.c_str(), path, true);
    if (removed == 0)
        ++result.removed;
    else
        leaveEntry(result, path, removed);
    return result;
}

std::vector<Volume> volumesFromMountInfo(std::string_view mountInfo,
                                         const std::function<bool(const std::string&)>& isFolder) {
    struct Mount {
        std::string type;
        bool wholeFileSystem = true;
    };
    // A later line mounted over an earlier one on the same point hides it.
    std::map<std::string, Mount> mounts;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        // id, parent, device, root, mount point, options, optional fields, "-", type...
        if (words.size() < 8)
            continue;
        const auto separator = std::find(words.begin() + 6, words.end(), "-");
        if (separator == words.end() || separator + 1 == words.end())
            continue;
        mounts[decodeMountField(words[4])] = {*(separator + 1), decodeMountField(words[3]) == "/"};
    }
    std::vector<Volume> volumes;
    const auto root = mounts.find("/");
    volumes.push_back({"/", root != mounts.end() ? root->second.type : std::string()});
    for (const auto& [point, mount] : mounts) {
        if (point == "/" || point.empty() || point[0] != '/' || !userVisible(point, mount.type))
            continue;
        if (!mount.wholeFileSystem && !isFolder(point))
            continue;
        volumes.push_back({point, mount.type});
    }
    return volumes;
}

std::vector<Volume> PosixFileSystem::volumes() {
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    return volumesFromMountInfo(text.str(),
                                [this](const std::string& path) { return isFolder(path); });
}

int PosixFileSystem::syncFileSystem(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int error = ::syncfs(fd) == 0 ? 0 : errno;
    ::close(fd);
    return error;
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
