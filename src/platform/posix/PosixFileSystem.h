#pragma once

#include "platform/FileSystem.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace quorvel {

// The real file system, through POSIX and Linux calls.
//
// deleteTree refuses a path that is itself a symbolic link (ELOOP, nothing removed, the
// link counted as left): the user asked to delete a folder, and a link is not one.
class PosixFileSystem : public FileSystem {
public:
    // Test seams. Each hook is consulted just before the system call it stands for; a
    // non-zero return makes that call fail with that errno without making it.
    //
    // Before each unlinkat inside deleteTree, the folders and the tree's root included;
    // fullPath names the entry. FaultyFileSystem::treeEntryHook() fits here.
    using TreeRemovalHook = std::function<int(const std::string& fullPath)>;
    void setTreeRemovalHook(TreeRemovalHook hook) { treeRemovalHook_ = std::move(hook); }

    // The low-level steps of renameNoReplace and copyNoReplace. For Rename, from and to
    // are the two names of that one no-replace rename (a temporary name included); for
    // the copy steps they are the source and the final target.
    enum class Step {
        Rename,     // renameat2 with RENAME_NOREPLACE
        TempFile,   // opening the unnamed O_TMPFILE file in the target folder
        CopyData,   // copying the data into the temporary file
        LinkTarget, // giving the finished temporary file its final name
    };
    using StepHook = std::function<int(Step step, const std::string& from, const std::string& to)>;
    void setStepHook(StepHook hook) { stepHook_ = std::move(hook); }

    Listing listFiles(const std::string& folder, const std::string& pattern) override;
    Listing listFolders(const std::string& folder) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    int modificationTime(const std::string& path, std::int64_t& seconds) override;
    int renameNoReplace(const std::string& from, const std::string& to) override;
    int copyNoReplace(const std::string& from, const std::string& to) override;
    int removeFile(const std::string& path) override;
    int createFolder(const std::string& path) override;
    int removeFolder(const std::string& path) override;
    TreeDeleteResult deleteTree(const std::string& path) override;
    int syncFileSystem(const std::string& folder) override;
    std::vector<Volume> volumes() override;
    std::string workingFolder() override;

private:
    struct Snapshot;
    // The folder's entries, read anew unless a trusted snapshot of it still stands.
    std::shared_ptr<const Snapshot> snapshot(const std::string& folder, int& error);
    // A change made here may land within the tick of a folder's last change and leave its
    // times as they were: what it touched is read again.
    void forgetSnapshots() { snapshots_.clear(); }

    int step(Step which, const std::string& from, const std::string& to) const;
    int renameStep(const std::string& from, const std::string& to) const;
    int renameThroughTemporary(const std::string& from, const std::string& to) const;
    int fillTarget(int source, const struct stat& st, int target, const std::string& from,
                   const std::string& to) const;
    int copyThroughHiddenFile(int source, const struct stat& st, const std::string& from,
                              const std::string& to) const;
    void deleteEntries(int folder, const std::string& folderPath, std::uint64_t device,
                       TreeDeleteResult& result) const;
    int removeEntry(int folder, const char* name, const std::string& fullPath, bool isFolder) const;

    std::vector<std::shared_ptr<const Snapshot>> snapshots_; // most recent first
    // Linking an unnamed file by its descriptor takes a privilege on older kernels.
    bool emptyPathRefused_ = false;
    TreeRemovalHook treeRemovalHook_;
    StepHook stepHook_;
};

// The volumes described by the text of /proc/self/mountinfo: "/" first, then the mount
// roots of real, user-visible file systems in path order. isFolder tells whether a mount
// point is a folder, so that bind mounts of single files stay out.
std::vector<Volume> volumesFromMountInfo(std::string_view mountInfo,
                                         const std::function<bool(const std::string&)>& isFolder);

} // namespace quorvel
