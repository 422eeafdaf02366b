#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"
#include "text/Patterns.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <dirent.h>
#include <iterator>
#include <memory>
#include <sys/stat.h>

namespace quorvel {

namespace {

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
    int readError = 0;      // errno of a read cut short, whose names are only a part
    SharedNames files;
    SharedNames folders;
    // The files of the last pattern asked for: both panes showing one folder share them.
    mutable std::string pattern;
    mutable SharedNames matching;
};

Result<std::shared_ptr<const PosixFileSystem::Snapshot>>
PosixFileSystem::snapshot(const std::string& folder) {
    sys::FolderStream dir = TRY(sys::opendir(folder));
    const int fd = dir.fd();
    const auto status = sys::fstat(fd);
    if (!status)
        return status.error();
    const struct stat& st = status.value();
    const struct timespec now = sys::realTime();
    // A snapshot finished a moment ago is as good as a read now: it only stands in for a
    // read made that moment earlier. An older one must be trusted.
    constexpr std::int64_t recent = 50'000'000;
    for (const auto& cached : snapshots_) {
        if ((cached->trusted || nanoseconds(now) - cached->taken < recent) &&
            cached->folder == folder && cached->device == st.st_dev && cached->inode == st.st_ino &&
            cached->modified == nanoseconds(st.st_mtim) &&
            cached->changed == nanoseconds(st.st_ctim))
            return cached;
    }
    // What was kept of this folder no longer stands for it. Let go before the new read, a
    // large folder's names are held once rather than twice at the peak.
    std::erase_if(snapshots_, [&](const auto& cached) { return cached->folder == folder; });
    auto taken = std::make_shared<Snapshot>();
    taken->folder = folder;
    taken->device = st.st_dev;
    taken->inode = st.st_ino;
    taken->modified = nanoseconds(st.st_mtim);
    taken->changed = nanoseconds(st.st_ctim);
    constexpr std::int64_t margin = 100'000'000;
    taken->trusted = localVolume(fd) != LocalVolume::No &&
                     taken->modified < nanoseconds(now) - margin &&
                     taken->changed < nanoseconds(now) - margin;
    std::vector<std::string> files;
    std::vector<std::string> folders;
    for (;;) {
        const Result<const dirent*> next = dir.next();
        if (!next)
            taken->readError = next.code();
        const dirent* entry = next ? next.value() : nullptr;
        if (entry == nullptr)
            break;
        if (entry->d_name[0] == '.')
            continue;
        unsigned char type = entry->d_type;
        if (type == DT_LNK || type == DT_UNKNOWN) {
            // What a link stands for can change without the folder's times moving.
            taken->trusted = false;
            const auto target = sys::statAt(fd, entry->d_name, 0);
            if (!target)
                continue; // a dangling link is neither a file nor a folder
            const mode_t mode = target.value().st_mode;
            type = S_ISREG(mode) ? DT_REG : S_ISDIR(mode) ? DT_DIR : DT_UNKNOWN;
        }
        if (type == DT_REG)
            files.emplace_back(entry->d_name);
        else if (type == DT_DIR)
            folders.emplace_back(entry->d_name);
    }
    sortNaturally(files);
    sortNaturally(folders);
    taken->files = std::move(files);
    taken->folders = std::move(folders);
    if (taken->readError != 0)
        taken->trusted = false;
    // A large folder takes long enough to read that both lists of a pane, read one after
    // the other, would otherwise never share it.
    const struct timespec done = sys::realTime();
    taken->taken = nanoseconds(done);
    snapshots_.insert(snapshots_.begin(), taken);
    // Two panes, each with its folder list and its file list: four folders at most matter.
    if (snapshots_.size() > 4)
        snapshots_.pop_back();
    return std::shared_ptr<const Snapshot>(taken);
}

// The snapshot is in order already: filtering keeps it. When every file matches, the
// snapshot's own names serve, and the last pattern's names are kept for the other pane.
SharedNames PosixFileSystem::filesMatching(const Snapshot& taken, const std::string& pattern) {
    if (pattern == "*.*" || pattern == "*")
        return taken.files;
    if (taken.pattern == pattern)
        return taken.matching;
    const auto matches = [&](const std::string& name) { return matchesPattern(name, pattern); };
    SharedNames names = taken.files;
    if (!std::all_of(taken.files.begin(), taken.files.end(), matches)) {
        std::vector<std::string> some;
        std::copy_if(taken.files.begin(), taken.files.end(), std::back_inserter(some), matches);
        names = std::move(some);
    }
    taken.pattern = pattern;
    taken.matching = names;
    return names;
}

Listing PosixFileSystem::listFiles(const std::string& folder, const std::string& pattern) {
    Listing listing;
    const auto read = snapshot(folder);
    if (!read) {
        listing.error = read.code();
        return listing;
    }
    const auto& taken = read.value();
    listing.error = taken->readError;
    listing.names = filesMatching(*taken, pattern);
    return listing;
}

Listing PosixFileSystem::listFolders(const std::string& folder) {
    const auto read = snapshot(folder);
    if (!read)
        return {read.code(), {}};
    return {read.value()->readError, read.value()->folders};
}

} // namespace quorvel
