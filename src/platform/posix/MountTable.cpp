#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string_view>

namespace quorvel {

namespace {

bool startsWithFolder(std::string_view path, std::string_view folder) {
    return path == folder ||
           (path.size() > folder.size() && path.starts_with(folder) && path[folder.size()] == '/');
}

bool realFileSystem(std::string_view type) {
    static constexpr std::string_view kept[] = {
        "ext2",    "ext3",    "ext4", "xfs",  "btrfs", "vfat", "exfat", "ntfs", "ntfs3",
        "fuseblk", "iso9660", "udf",  "f2fs", "nfs",   "nfs4", "cifs",  "smb3", "zfs"};
    return std::find(std::begin(kept), std::end(kept), type) != std::end(kept);
}

bool userVisible(std::string_view mountPoint, std::string_view type) {
    if (startsWithFolder(mountPoint, "/run/media"))
        return realFileSystem(type) || type.starts_with("fuse.");
    for (const std::string_view hidden : {"/proc", "/sys", "/dev", "/run", "/snap"}) {
        if (startsWithFolder(mountPoint, hidden))
            return false;
    }
    if (type.starts_with("fuse.")) {
        for (const std::string_view userPlace : {"/media", "/mnt", "/home"}) {
            if (startsWithFolder(mountPoint, userPlace))
                return true;
        }
        return false;
    }
    return realFileSystem(type);
}

// Mount points are written with octal escapes for blanks, tabs, new lines and "\".
std::string decodeMountField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const std::string_view digits = field.substr(i + 1, 3);
            if (std::all_of(digits.begin(), digits.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>(((digits[0] - '0') << 6) | ((digits[1] - '0') << 3) |
                                         (digits[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

// Whether a line of /proc/self/mountinfo mounts something on `path`, a resolved path.
bool listedMountPoint(const std::string& path) {
    std::ifstream file("/proc/self/mountinfo");
    for (std::string line; std::getline(file, line);) {
        std::istringstream fields(line);
        std::string word;
        for (int i = 0; i < 5 && fields >> word; ++i) {
        }
        if (decodeMountField(word) == path)
            return true;
    }
    return false;
}

} // namespace

// Whether an entry, looked at without following a link, is the root of a mount. Kernels
// since 5.8 say so outright; before that a change of device or of mount id from the
// parent tells it, and the mount table catches a bind mount on a kernel without mount ids.
bool isMountRootEntry(const std::string& path, const EntryInfo& info) {
    if (info.isLink)
        return false;
    if (info.mountRootKnown)
        return info.mountRoot;
    const std::string up = info.isFolder ? path + "/.." : folderOf(path);
    const Result<EntryInfo> parent = entryInfo(AT_FDCWD, up.c_str());
    if (!parent)
        return true; // cannot tell: the caller must not touch it
    if (parent.value().device != info.device)
        return true;
    if (info.mountIdKnown && parent.value().mountIdKnown)
        return info.mountId != parent.value().mountId;
    const Result<std::string> resolved = sys::realpath(path);
    return !resolved || listedMountPoint(resolved.value());
}

bool PosixFileSystem::isMountRoot(const std::string& given) {
    const std::string path = withoutTrailingSlashes(given);
    if (path == "/")
        return true;
    const Result<EntryInfo> info = entryInfo(AT_FDCWD, path.c_str());
    return info && isMountRootEntry(path, info.value());
}

std::vector<Volume> volumesFromMountInfo(std::string_view mountInfo,
                                         const std::function<bool(const std::string&)>& isFolder) {
    struct Mount {
        std::string type;
        bool wholeFileSystem = true;
    };
    // A later line mounted over an earlier one on the same point hides it.
    std::map<std::string, Mount> mounts;
    std::istringstream lines{std::string(mountInfo)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::vector<std::string> words;
        for (std::string word; fields >> word;)
            words.push_back(word);
        // id, parent, device, root, mount point, options, optional fields, "-", type...
        if (words.size() < 8)
            continue;
        const auto separator = std::find(words.begin() + 6, words.end(), "-");
        if (separator == words.end() || separator + 1 == words.end())
            continue;
        mounts[decodeMountField(words[4])] = {*(separator + 1), decodeMountField(words[3]) == "/"};
    }
    std::vector<Volume> volumes;
    const auto root = mounts.find("/");
    volumes.push_back({"/", root != mounts.end() ? root->second.type : std::string()});
    for (const auto& [point, mount] : mounts) {
        if (point == "/" || point.empty() || point[0] != '/' || !userVisible(point, mount.type))
            continue;
        if (!mount.wholeFileSystem && !isFolder(point))
            continue;
        volumes.push_back({point, mount.type});
    }
    return volumes;
}

std::vector<Volume> PosixFileSystem::volumes() {
    std::ifstream file("/proc/self/mountinfo");
    std::ostringstream text;
    text << file.rdbuf();
    return volumesFromMountInfo(text.str(),
                                [this](const std::string& path) { return isFolder(path); });
}

} // namespace quorvel
