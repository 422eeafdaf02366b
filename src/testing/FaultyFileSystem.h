#pragma once

#include "platform/FileSystem.h"

#include <array>
#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace quorvel {

// The operations a test can make fail. List covers listFiles and listFolders;
// DeleteTreeEntry is one removal inside a tree delete (see treeEntryHook).
enum class FsOp {
    List,
    Rename,
    Copy,
    RemoveFile,
    CreateFolder,
    RemoveFolder,
    ModificationTime,
    DeleteTree,
    Sync,
    DeleteTreeEntry,
};

// Forwards every call to another file system, except those a test has chosen to fail: a
// failed call touches nothing and returns the chosen errno (a failed List returns an empty
// listing with that error, a failed DeleteTree reports the tree's root as left).
//
// Removals inside a tree delete happen within the wrapped file system, out of this
// wrapper's sight. To count and fail them, hand treeEntryHook() to the real one:
//
//     PosixFileSystem disk;
//     FaultyFileSystem fs(disk);
//     setTreeRemovalHook(disk, fs.treeEntryHook()); // platform/posix/TestHooks.h
//     fs.failNth(FsOp::DeleteTreeEntry, 3, EACCES);  // the third removal fails
class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

    // The n-th call of op from now on (n = 1: the next one) fails with error.
    void failNth(FsOp op, int n, int error);
    // Every call of op from now on fails with error.
    void failAll(FsOp op, int error);
    // Forgets every planned failure; the counts stay.
    void clearFaults();
    // Calls of op since construction, failed ones included.
    int calls(FsOp op) const;
    // An extra volume reported with the wrapped ones (in path order after "/"), so that a
    // test folder can play a mount root.
    void addVolume(std::string root, std::string fsType = "ext4");

    // Counts one DeleteTreeEntry call and returns the errno planned for it, 0 otherwise.
    // Keeps a reference to this wrapper: it must not outlive it.
    std::function<int(const std::string& fullPath)> treeEntryHook();

    Listing listFiles(const std::string& folder, const std::string& pattern) override;
    Listing listFolders(const std::string& folder) override;
    bool isFolder(const std::string& path) override;
    bool exists(const std::string& path) override;
    // Also true of the roots given to addVolume.
    bool isMountRoot(const std::string& path) override;
    Result<std::int64_t> modificationTime(const std::string& path) override;
    Result<void> renameNoReplace(const std::string& from, const std::string& to) override;
    Result<void> copyNoReplace(const std::string& from, const std::string& to) override;
    Result<void> removeFile(const std::string& path) override;
    // The changes within open folders fail as Rename, Copy and RemoveFile.
    Result<std::unique_ptr<Folder>> openFolder(const std::string& path, bool followLink) override;
    Result<FileIdentity> identifyAt(Folder& folder, const std::string& name) override;
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
    static constexpr std::size_t opCount = static_cast<std::size_t>(FsOp::DeleteTreeEntry) + 1;

    struct Plan {
        int calls = 0;
        int allError = 0;
        std::map<int, int> nth; // call number -> errno
    };

    // Counts a call and tells the errno it must fail with, 0 to go ahead.
    int enter(FsOp op);

    FileSystem& inner_;
    std::array<Plan, opCount> plans_{};
    std::vector<Volume> extraVolumes_;
};

} // namespace quorvel
