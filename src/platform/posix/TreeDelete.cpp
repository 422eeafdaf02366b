#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "text/Paths.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {

namespace {

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
    if (result.leftEntries.size() < TreeDeleteResult::keptEntries)
        result.leftEntries.push_back({path, error});
    if (result.error == 0)
        result.error = error;
}

int removeEntry(const PosixHooks& hooks, int folder, const char* name, const std::string& fullPath,
                bool isFolder) {
    const int error = hooks.treeRemoval ? hooks.treeRemoval(fullPath) : 0;
    if (error != 0)
        return error;
    return ::unlinkat(folder, name, isFolder ? AT_REMOVEDIR : 0) == 0 ? 0 : errno;
}

void deleteEntries(const PosixHooks& hooks, int folder, const std::string& folderPath,
                   std::uint64_t device, TreeDeleteResult& result) {
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
                deleteEntries(hooks, child.get(), fullPath, device, result);
            }
        }
        const int error = removeEntry(hooks, folder, entry.name.c_str(), fullPath, isFolder);
        if (error == 0)
            ++result.removed;
        else if (error != ENOENT)
            leaveEntry(result, fullPath, error);
    }
}

} // namespace

TreeDeleteResult PosixFileSystem::deleteTree(const std::string& given) {
    forgetSnapshots();
    TreeDeleteResult result;
    // A trailing "/" would make the look below follow a link.
    const std::string path = withoutTrailingSlashes(given);
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
        leaveEntry(result, path, info.isLink ? ELOOP : ENOTDIR);
        return result;
    }
    // Its mount point would stay, but everything on that volume would go.
    if (isMountRootEntry(path, info)) {
        leaveEntry(result, path, EBUSY);
        return result;
    }
    Descriptor root;
    const int opened = openTreeFolder(AT_FDCWD, path.c_str(), info, root);
    if (opened != 0) {
        leaveEntry(result, path, opened);
        return result;
    }
    deleteEntries(*hooks_, root.get(), path, info.device, result);
    root.reset(-1);
    const int removed = removeEntry(*hooks_, AT_FDCWD, path.c_str(), path, true);
    if (removed == 0)
        ++result.removed;
    else
        leaveEntry(result, path, removed);
    return result;
}

} // namespace quorvel
