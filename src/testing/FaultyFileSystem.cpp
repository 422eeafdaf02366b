#include "testing/FaultyFileSystem.h"

#include <algorithm>
#include <utility>

namespace quorvel {

void FaultyFileSystem::failNth(FsOp op, int n, int error) {
    Plan& plan = plans_[static_cast<std::size_t>(op)];
    plan.nth[plan.calls + n] = error;
}

void FaultyFileSystem::failAll(FsOp op, int error) {
    plans_[static_cast<std::size_t>(op)].allError = error;
}

void FaultyFileSystem::clearFaults() {
    for (Plan& plan : plans_) {
        plan.allError = 0;
        plan.nth.clear();
    }
}

int FaultyFileSystem::calls(FsOp op) const {
    return plans_[static_cast<std::size_t>(op)].calls;
}

void FaultyFileSystem::addVolume(std::string root, std::string fsType) {
    extraVolumes_.push_back({std::move(root), std::move(fsType)});
}

int FaultyFileSystem::enter(FsOp op) {
    Plan& plan = plans_[static_cast<std::size_t>(op)];
    const int number = ++plan.calls;
    if (const auto planned = plan.nth.find(number); planned != plan.nth.end())
        return planned->second;
    return plan.allError;
}

std::function<int(const std::string&)> FaultyFileSystem::treeEntryHook() {
    return [this](const std::string&) { return enter(FsOp::DeleteTreeEntry); };
}

Listing FaultyFileSystem::listFiles(const std::string& folder, const std::string& pattern) {
    if (const int error = enter(FsOp::List))
        return {error, {}};
    return inner_.listFiles(folder, pattern);
}

Listing FaultyFileSystem::listFolders(const std::string& folder) {
    if (const int error = enter(FsOp::List))
        return {error, {}};
    return inner_.listFolders(folder);
}

bool FaultyFileSystem::isFolder(const std::string& path) {
    return inner_.isFolder(path);
}

bool FaultyFileSystem::exists(const std::string& path) {
    return inner_.exists(path);
}

bool FaultyFileSystem::isMountRoot(const std::string& path) {
    return inner_.isMountRoot(path) || std::any_of(extraVolumes_.begin(), extraVolumes_.end(),
                                                   [&](const Volume& v) { return v.root == path; });
}

Result<std::int64_t> FaultyFileSystem::modificationTime(const std::string& path) {
    if (const int error = enter(FsOp::ModificationTime))
        return SystemError{"stat", error};
    return inner_.modificationTime(path);
}

Result<void> FaultyFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    if (const int error = enter(FsOp::Rename))
        return SystemError{"renameat2", error};
    return inner_.renameNoReplace(from, to);
}

Result<void> FaultyFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    if (const int error = enter(FsOp::Copy))
        return SystemError{"copy", error};
    return inner_.copyNoReplace(from, to);
}

Result<void> FaultyFileSystem::removeFile(const std::string& path) {
    if (const int error = enter(FsOp::RemoveFile))
        return SystemError{"unlink", error};
    return inner_.removeFile(path);
}

Result<std::unique_ptr<Folder>> FaultyFileSystem::openFolder(const std::string& path,
                                                             bool followLink) {
    return inner_.openFolder(path, followLink);
}

Result<FileIdentity> FaultyFileSystem::identifyAt(Folder& folder, const std::string& name) {
    return inner_.identifyAt(folder, name);
}

Result<void> FaultyFileSystem::renameAt(Folder& folder, const std::string& from,
                                        const std::string& to) {
    if (const int error = enter(FsOp::Rename))
        return SystemError{"renameat2", error};
    return inner_.renameAt(folder, from, to);
}

Result<void> FaultyFileSystem::copyAt(Folder& from, const std::string& name, Folder& to,
                                      const std::string& newName) {
    if (const int error = enter(FsOp::Copy))
        return SystemError{"copy", error};
    return inner_.copyAt(from, name, to, newName);
}

Result<void> FaultyFileSystem::removeAt(Folder& folder, const std::string& name) {
    if (const int error = enter(FsOp::RemoveFile))
        return SystemError{"unlink", error};
    return inner_.removeAt(folder, name);
}

Result<void> FaultyFileSystem::createFolder(const std::string& path) {
    if (const int error = enter(FsOp::CreateFolder))
        return SystemError{"mkdir", error};
    return inner_.createFolder(path);
}

Result<void> FaultyFileSystem::removeFolder(const std::string& path) {
    if (const int error = enter(FsOp::RemoveFolder))
        return SystemError{"rmdir", error};
    return inner_.removeFolder(path);
}

TreeDeleteResult FaultyFileSystem::deleteTree(const std::string& path) {
    if (const int error = enter(FsOp::DeleteTree))
        return {error, 0, 1, {{path, error}}};
    return inner_.deleteTree(path);
}

std::vector<Volume> FaultyFileSystem::volumes() {
    std::vector<Volume> all = inner_.volumes();
    for (const Volume& extra : extraVolumes_) {
        const bool known = std::any_of(all.begin(), all.end(),
                                       [&](const Volume& v) { return v.root == extra.root; });
        if (!known)
            all.push_back(extra);
    }
    if (!all.empty())
        std::sort(all.begin() + 1, all.end(),
                  [](const Volume& a, const Volume& b) { return a.root < b.root; });
    return all;
}

Result<void> FaultyFileSystem::syncFileSystem(const std::string& folder) {
    if (const int error = enter(FsOp::Sync))
        return SystemError{"syncfs", error};
    return inner_.syncFileSystem(folder);
}

std::string FaultyFileSystem::workingFolder() {
    return inner_.workingFolder();
}

} // namespace quorvel
