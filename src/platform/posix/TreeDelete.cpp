#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"
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

// Opens a folder of the tree for reading and deleting; the descriptor is the caller's. A
// folder the user owns but may not read, search or write is opened up first, since its
// entries are about to go anyway.
Result<int> openTreeFolder(int parent, const char* name, const EntryInfo& info) {
    const int flags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
    const bool owned = info.owner == ::geteuid();
    Result<int> tried = sys::openat(parent, name, flags);
    if (tried.code() == EACCES && owned) {
        // Should the change fail, the second open says why.
        static_cast<void>(sys::fchmodat(parent, name, (info.mode & 07777) | S_IRWXU));
        tried = sys::openat(parent, name, flags);
    }
    Descriptor folder(TRY(tried));
    const struct stat opened = TRY(sys::fstat(folder.get()));
    // The entry was swapped between the look and the open: leave it alone.
    if (opened.st_dev != info.device || opened.st_ino != info.inode)
        return SystemError{"openat", EXDEV};
    // Should this fail, the entries that cannot go are each named in the report.
    if (owned && (opened.st_mode & S_IRWXU) != S_IRWXU)
        static_cast<void>(sys::fchmod(folder.get(), (opened.st_mode & 07777) | S_IRWXU));
    return folder.release();
}

void leaveEntry(TreeDeleteResult& result, const std::string& path, int error) {
    ++result.left;
    if (result.leftEntries.size() < TreeDeleteResult::keptEntries)
        result.leftEntries.push_back({path, error});
    if (result.error == 0)
        result.error = error;
}

Result<void> removeEntry(const PosixHooks& hooks, int folder, const char* name,
                         const std::string& fullPath, bool isFolder) {
    if (const int error = hooks.treeRemoval ? hooks.treeRemoval(fullPath) : 0; error != 0)
        return SystemError{"unlinkat", error};
    return sys::unlinkat(folder, name, isFolder ? AT_REMOVEDIR : 0);
}

void deleteEntries(const PosixHooks& hooks, int folder, const std::string& folderPath,
                   std::uint64_t device, TreeDeleteResult& result) {
    // The whole listing first: deleting while reading may skip or repeat entries.
    struct Entry {
        std::string name;
        unsigned char type;
    };
    std::vector<Entry> entries;
    Result<sys::FolderStream> dir = sys::readFolder(folder);
    if (!dir) {
        if (result.error == 0)
            result.error = dir.code();
        return;
    }
    for (;;) {
        const Result<const dirent*> next = dir.value().next();
        if (!next && result.error == 0)
            result.error = next.code();
        if (!next || next.value() == nullptr)
            break;
        const std::string_view name = next.value()->d_name;
        if (name != "." && name != "..")
            entries.push_back({std::string(name), next.value()->d_type});
    }

    for (const Entry& entry : entries) {
        const std::string fullPath = joinPath(folderPath, entry.name);
        bool isFolder = false;
        if (entry.type == DT_DIR || entry.type == DT_UNKNOWN) {
            const Result<EntryInfo> info = entryInfo(folder, entry.name.c_str());
            if (info.code() == ENOENT)
                continue; // gone meanwhile
            if (!info) {
                leaveEntry(result, fullPath, info.code());
                continue;
            }
            isFolder = info.value().isFolder;
            if (isFolder) {
                if (info.value().device != device || info.value().mountRoot) {
                    leaveEntry(result, fullPath, EXDEV);
                    continue;
                }
                const Result<int> opened = openTreeFolder(folder, entry.name.c_str(), info.value());
                if (!opened) {
                    leaveEntry(result, fullPath, opened.code());
                    continue;
                }
                const Descriptor child(opened.value());
                deleteEntries(hooks, child.get(), fullPath, device, result);
            }
        }
        const Result<void> removed =
            removeEntry(hooks, folder, entry.name.c_str(), fullPath, isFolder);
        if (removed)
            ++result.removed;
        else if (removed.code() != ENOENT)
            leaveEntry(result, fullPath, removed.code());
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
    const Result<EntryInfo> found = entryInfo(AT_FDCWD, path.c_str());
    if (!found) {
        result.error = found.code();
        return result;
    }
    const EntryInfo& info = found.value();
    if (!info.isFolder) {
        leaveEntry(result, path, info.isLink ? ELOOP : ENOTDIR);
        return result;
    }
    // Its mount point would stay, but everything on that volume would go.
    if (isMountRootEntry(path, info)) {
        leaveEntry(result, path, EBUSY);
        return result;
    }
    const Result<int> opened = openTreeFolder(AT_FDCWD, path.c_str(), info);
    if (!opened) {
        leaveEntry(result, path, opened.code());
        return result;
    }
    {
        const Descriptor root(opened.value());
        deleteEntries(*hooks_, root.get(), path, info.device, result);
    }
    const Result<void> removed = removeEntry(*hooks_, AT_FDCWD, path.c_str(), path, true);
    if (removed)
        ++result.removed;
    else
        leaveEntry(result, path, removed.code());
    return result;
}

} // namespace quorvel
