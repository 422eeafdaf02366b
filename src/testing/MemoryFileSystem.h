#pragma once

#include "platform/FileSystem.h"

#include <cerrno>
#include <map>
#include <string>
#include <vector>

namespace quorvel {

// Folders and files named in memory, for views that only need something to list.
class MemoryFileSystem : public FileSystem {
public:
    std::map<std::string, std::vector<std::string>> subfolders;
    std::map<std::string, std::vector<std::string>> files;

    Listing listFiles(const std::string& folder, const std::string&) override {
        return {0, files[folder]};
    }
    Listing listFolders(const std::string& folder) override { return {0, subfolders[folder]}; }
    bool isFolder(const std::string& path) override {
        return path == "/" || subfolders.count(path) != 0;
    }
    bool exists(const std::string& path) override { return isFolder(path); }
    bool isMountRoot(const std::string& path) override { return path == "/"; }
    Result<std::int64_t> modificationTime(const std::string&) override {
        return SystemError{"stat", ENOSYS};
    }
    Result<void> renameNoReplace(const std::string&, const std::string&) override {
        return SystemError{"renameat2", ENOSYS};
    }
    Result<void> copyNoReplace(const std::string&, const std::string&) override {
        return SystemError{"copy", ENOSYS};
    }
    Result<void> removeFile(const std::string&) override { return SystemError{"unlink", ENOSYS}; }
    Result<std::unique_ptr<Folder>> openFolder(const std::string& path, bool) override {
        if (!isFolder(path))
            return SystemError{"open", ENOENT};
        return std::make_unique<Folder>(path, FileIdentity{});
    }
    Result<FileIdentity> identifyAt(Folder&, const std::string&) override {
        return SystemError{"statx", ENOSYS};
    }
    Result<void> renameAt(Folder&, const std::string&, const std::string&) override {
        return SystemError{"renameat2", ENOSYS};
    }
    Result<void> copyAt(Folder&, const std::string&, Folder&, const std::string&) override {
        return SystemError{"copy", ENOSYS};
    }
    Result<void> removeAt(Folder&, const std::string&) override {
        return SystemError{"unlink", ENOSYS};
    }
    Result<void> createFolder(const std::string&) override { return SystemError{"mkdir", ENOSYS}; }
    Result<void> removeFolder(const std::string&) override { return SystemError{"rmdir", ENOSYS}; }
    TreeDeleteResult deleteTree(const std::string&) override { return {ENOSYS, 0, 0, {}}; }
    std::vector<Volume> volumes() override { return {{"/", "ext4"}}; }
    Result<void> syncFileSystem(const std::string&) override { return {}; }
    std::string workingFolder() override { return "/"; }
};

} // namespace quorvel
