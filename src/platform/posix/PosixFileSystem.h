#pragma once

#include "platform/FileSystem.h"
#include "platform/posix/Writeback.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace quorvel {

struct PosixHooks; // test seams: TestHooks.h
struct Place;

// The real file system, through POSIX and Linux calls.
//
// deleteTree refuses a path that is itself a symbolic link (ELOOP, nothing removed, the
// link counted as left): the user asked to delete a folder, and a link is not one.
class PosixFileSystem : public FileSystem {
public:
    PosixFileSystem();
    ~PosixFileSystem() override;
    PosixFileSystem(const PosixFileSystem&) = delete;
    PosixFileSystem& operator=(const PosixFileSystem&) = delete;

    Listing listFiles(const std::string& folder, const std::string& pattern) override;
    Listing listFolders(const std::string& folder) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool isMountRoot(const std::string& path) override;
    Result<std::int64_t> modificationTime(const std::string& path) override;
    Result<void> renameNoReplace(const std::string& from, const std::string& to) override;
    Result<void> copyNoReplace(const std::string& from, const std::string& to) override;
    Result<void> removeFile(const std::string& path) override;
    Result<std::unique_ptr<Folder>> openFolder(const std::string& path, bool followLink) override;
    Result<FileIdentity> identifyAt(Folder& folder, const std::string& name) override;
    EntryInodes entryInodes(Folder& folder) override;
    Result<void> renameAt(Folder& folder, const std::string& from, const std::string& to) override;
    Result<void> copyAt(Folder& from, const std::string& name, Folder& to,
                        const std::string& newName) override;
    Result<void> removeAt(Folder& folder, const std::string& name) override;
    Result<void> createFolder(const std::string& path) override;
    Result<void> removeFolder(const std::string& path) override;
    TreeDeleteResult deleteTree(const std::string& path) override;
    Result<void> syncFileSystem(const std::string& folder) override;
    std::vector<Volume> volumes() override;
    std::string workingFolder() override;

private:
    friend PosixHooks& hooksOf(PosixFileSystem& fs);

    Result<void> renameBetween(const Place& from, const Place& to);
    // Copies the open source file, described by st, to the new name `to`.
    Result<void> copyFile(int source, const struct stat& st, const std::string& from,
                          const Place& to);

    struct Snapshot;
    static SharedNames filesMatching(const Snapshot& taken, const std::string& pattern);
    // The folder's entries, read anew unless a trusted snapshot of it still stands.
    Result<std::shared_ptr<const Snapshot>> snapshot(const std::string& folder);
    // A change made here may land within the tick of a folder's last change and leave its
    // times as they were: what it touched is read again.
    void forgetSnapshots() { snapshots_.clear(); }

    std::vector<std::shared_ptr<const Snapshot>> snapshots_; // most recent first
    // Linking an unnamed file by its descriptor takes a privilege on older kernels.
    bool emptyPathRefused_ = false;
    std::set<std::string> sweptFolders_; // where abandoned partial copies were looked for
    std::unique_ptr<PosixHooks> hooks_;
    Writeback writeback_{*hooks_};
};

// The volumes described by the text of /proc/self/mountinfo: "/" first, then the mount
// roots of real, user-visible file systems in path order. isFolder tells whether a mount
// point is a folder, so that bind mounts of single files stay out.
std::vector<Volume> volumesFromMountInfo(std::string_view mountInfo,
                                         const std::function<bool(const std::string&)>& isFolder);

} // namespace quorvel
