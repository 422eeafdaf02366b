#pragma once

#include "platform/EntryInodes.h"
#include "platform/Result.h"
#include "platform/SharedNames.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// Entries of a folder as the panes show them: names only, hidden ones left out,
// in the natural order of NameOrder.h. error is an errno value, 0 when the read worked.
struct Listing {
    int error = 0;
    SharedNames names;
};

// An entry that the tree delete left on disk, and why.
struct LeftEntry {
    std::string path; // full path
    int error = 0;
};

// What the tree delete did: `left` counts entries that are still on disk afterwards.
struct TreeDeleteResult {
    // A tree that cannot be deleted at all, a read-only card for instance, would otherwise
    // hold every one of its paths; a report shows far fewer.
    static constexpr std::size_t keptEntries = 1000;

    int error = 0;                      // errno of the first failure, 0 when everything went
    std::size_t removed = 0;            // entries removed, the folder itself included
    std::size_t left = 0;               // entries that could not be removed
    std::vector<LeftEntry> leftEntries; // the first keptEntries of them, in walk order
};

// A mounted volume: the Linux counterpart of a drive.
struct Volume {
    std::string root; // "/" or a mount root, no trailing "/" except for "/" itself
    std::string fsType;
};

// What tells one file apart from another that later took its name, as the volume keeps it:
// a volume that keeps no nanoseconds, or no time at all, gives the same coarse values each
// time it is asked, so values read back from it compare equal.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // nanoseconds since the epoch
    // Status change: no user call can set it back, unlike the modification time.
    std::int64_t changedNs = 0;
    std::int64_t bornNs = 0; // creation, 0 where the volume does not tell it

    bool sameEntry(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
    // The very file, with the content it had: an edit, even one that puts the size and the
    // modification time back, moves the change time.
    bool sameFile(const FileIdentity& other) const {
        return sameEntry(other) && size == other.size && modifiedNs == other.modifiedNs &&
               changedNs == other.changedNs && bornNs == other.bornNs;
    }
};

// A folder held open: changes made through it by bare names stay in that very folder, even
// when its path is moved or replaced by a link meanwhile.
class Folder {
public:
    Folder(std::string path, const FileIdentity& identity)
        : path_(std::move(path)), identity_(identity) {}
    virtual ~Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;

    // The path it was opened by, for messages and the journal.
    const std::string& path() const { return path_; }
    const FileIdentity& identity() const { return identity_; }

private:
    std::string path_;
    FileIdentity identity_;
};

// Listings carry an errno value; every change returns a Result that names the system call
// which failed, so that the logic can decide whether to go on silently or to tell the user.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // Regular files and links to regular files whose name matches pattern ("*.jpg",
    // "*.*"), letter case ignored, hidden names left out, natural order.
    virtual Listing listFiles(const std::string& folder, const std::string& pattern) = 0;
    // Subfolders (links to folders included), hidden names left out, natural order.
    virtual Listing listFolders(const std::string& folder) = 0;

    virtual bool isFolder(const std::string& path) = 0; // follows a link
    virtual bool exists(const std::string& path) = 0;   // does not follow a link
    // Opens a folder for changes by bare names. With followLink false, a path whose last
    // component is a link is refused (ELOOP).
    virtual Result<std::unique_ptr<Folder>> openFolder(const std::string& path,
                                                       bool followLink) = 0;
    // The entry `name` of the folder; a link is not followed.
    virtual Result<FileIdentity> identifyAt(Folder& folder, const std::string& name) = 0;
    // The inodes of an open folder's files and links, as one read of the folder gives them,
    // for a batch that renames many of them. Empty where the volume's folder entries may not
    // carry the inodes its files report: then each file is asked through identifyAt.
    virtual EntryInodes entryInodes(Folder&) { return {}; }
    // renameNoReplace and copyNoReplace within open folders.
    virtual Result<void> renameAt(Folder& folder, const std::string& from,
                                  const std::string& to) = 0;
    virtual Result<void> copyAt(Folder& from, const std::string& name, Folder& to,
                                const std::string& newName) = 0;
    // Removes a file of an open folder, never a folder.
    virtual Result<void> removeAt(Folder& folder, const std::string& name) = 0;
    // "/" or the root of any mount, a bind mount of a folder included, whether or not
    // volumes() lists it. A link is not followed: a link to a mount root is just a link.
    virtual bool isMountRoot(const std::string& path) = 0;

    // Seconds since the epoch of the last modification (a link is followed).
    virtual Result<std::int64_t> modificationTime(const std::string& path) = 0;

    // Never replaces an existing entry: EEXIST when `to` exists. Works for files and
    // folders; a change of letter case alone works on a case-insensitive file system.
    virtual Result<void> renameNoReplace(const std::string& from, const std::string& to) = 0;
    // Copies the data, and the mode and modification time where the target keeps them;
    // never replaces (EEXIST) and never leaves a half-written file under `to`. Partial
    // copies that dead processes left in the target folder are swept on the way.
    virtual Result<void> copyNoReplace(const std::string& from, const std::string& to) = 0;
    // Removes a file; a link is removed as a link. Refuses a folder (EISDIR).
    virtual Result<void> removeFile(const std::string& path) = 0;
    virtual Result<void> createFolder(const std::string& path) = 0;
    virtual Result<void> removeFolder(const std::string& path) = 0; // an empty folder only
    // Removes a folder with everything inside, hidden and read-only entries included,
    // without following a link or leaving its own mounted file system. A mount root is
    // refused whole (EBUSY, nothing removed).
    virtual TreeDeleteResult deleteTree(const std::string& path) = 0;
    // Writes to disk, once, everything pending on the file system that holds the folder,
    // so that what a batch reports as done survives a power cut.
    virtual Result<void> syncFileSystem(const std::string& folder) = 0;

    // "/" first, then the mount roots of real, user-visible file systems.
    virtual std::vector<Volume> volumes() = 0;
    // The process working folder, empty when it cannot be read.
    virtual std::string workingFolder() = 0;
};

} // namespace quorvel
