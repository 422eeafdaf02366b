#pragma once

#include "platform/FileSystem.h"
#include "text/PackedTexts.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The file system as the preview plans over it: the modification times already read are
// remembered, so that a change of the rename panel plans again without asking the disk
// for each file. The program's own operations never change a file's time, and the preview
// drops these whenever the source list is read again; every other call goes to the disk.
// Used by one planning at a time.
class KnownTimes : public FileSystem {
public:
    explicit KnownTimes(FileSystem& fs) : fs_(fs) {}

    Result<std::int64_t> modificationTime(const std::string& path) override;

    Listing listFiles(const std::string& folder, const std::string& pattern) override {
        return fs_.listFiles(folder, pattern);
    }
    Listing listFolders(const std::string& folder) override { return fs_.listFolders(folder); }
    bool isFolder(const std::string& path) override { return fs_.isFolder(path); }
    bool exists(const std::string& path) override { return fs_.exists(path); }
    bool isMountRoot(const std::string& path) override { return fs_.isMountRoot(path); }
    Result<void> renameNoReplace(const std::string& from, const std::string& to) override {
        return fs_.renameNoReplace(from, to);
    }
    Result<void> copyNoReplace(const std::string& from, const std::string& to) override {
        return fs_.copyNoReplace(from, to);
    }
    Result<void> removeFile(const std::string& path) override { return fs_.removeFile(path); }
    Result<std::unique_ptr<Folder>> openFolder(const std::string& path, bool follow) override {
        return fs_.openFolder(path, follow);
    }
    Result<FileIdentity> identifyAt(Folder& folder, const std::string& name) override {
        return fs_.identifyAt(folder, name);
    }
    Result<void> renameAt(Folder& folder, const std::string& from, const std::string& to) override {
        return fs_.renameAt(folder, from, to);
    }
    Result<void> copyAt(Folder& from, const std::string& name, Folder& to,
                        const std::string& newName) override {
        return fs_.copyAt(from, name, to, newName);
    }
    Result<void> removeAt(Folder& folder, const std::string& name) override {
        return fs_.removeAt(folder, name);
    }
    Result<void> createFolder(const std::string& path) override { return fs_.createFolder(path); }
    Result<void> removeFolder(const std::string& path) override { return fs_.removeFolder(path); }
    TreeDeleteResult deleteTree(const std::string& path) override { return fs_.deleteTree(path); }
    Result<void> syncFileSystem(const std::string& folder) override {
        return fs_.syncFileSystem(folder);
    }
    std::vector<Volume> volumes() override { return fs_.volumes(); }
    std::string workingFolder() override { return fs_.workingFolder(); }

private:
    FileSystem& fs_;
    // In the order first asked, which is the walk's: the next one asked is most often the
    // one after the last, found without hashing its path.
    PackedTexts paths_;
    std::vector<Result<std::int64_t>> times_;
    // Open addressing by the hash of the path, each slot the index in times_ plus one, 0 for
    // none; at most half of them used. Four bytes a slot: a million paths are held once, in
    // paths_, and their hashes are worked out again when the slots grow.
    std::vector<std::uint32_t> slots_;
    std::size_t next_ = 0;

    std::size_t slotOf(std::string_view path, bool& found) const;
    void grow();
};

} // namespace quorvel
