#pragma once

// What the units of PosixFileSystem share; not for use outside them.

#include "platform/FileSystem.h"
#include "platform/Result.h"
#include "platform/posix/SystemCalls.h"
#include "platform/posix/TestHooks.h"

#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quorvel {

// A folder open for changes by bare names.
class PosixFolder : public Folder {
public:
    PosixFolder(std::string path, const FileIdentity& identity, int fd)
        : Folder(std::move(path), identity), fd_(fd) {}
    int fd() const { return fd_.get(); }

private:
    Descriptor fd_;
};

// Disk and memory file systems keep a folder's times moving with every change to its
// entries, and its entries carry the inode numbers its files report. An overlay keeps the
// first only: its entries may number lower files otherwise.
enum class LocalVolume { No, Overlay, Yes };
LocalVolume localVolume(int fd);

// The descriptor of a folder that this file system opened, -1 for any other.
int descriptorOf(Folder& folder);
FileIdentity identityOf(const struct statx& sx);
FileIdentity identityOf(const struct stat& st);

// An entry named by a bare name within an open folder; path names it whole, for the test
// hooks, the fallbacks' messages and the writeback.
struct Place {
    int folder = -1;
    std::string name;
    std::string path;
};
Place placeIn(Folder& folder, const std::string& name);
// Another name in the same folder.
Place besides(const Place& place, const std::string& name);

// A name beside `path`, in the same folder.
std::string sibling(const std::string& path, const std::string& name);
std::string folderOf(const std::string& path);
std::string withoutTrailingSlashes(std::string path);
// Temporary names must not meet those of another process or of an earlier attempt.
std::string temporaryName(const char* purpose);
bool sameEntry(const struct stat& a, const struct stat& b);

// What deleteTree needs to know of an entry, without following a link.
struct EntryInfo {
    bool isFolder = false;
    bool isLink = false;
    bool mountRoot = false;
    bool mountRootKnown = false; // the kernel told whether it is a mount root
    bool mountIdKnown = false;
    std::uint64_t mountId = 0;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    mode_t mode = 0;
    uid_t owner = 0;
};

// Looks at an entry of `folder` without following a link.
Result<EntryInfo> entryInfo(int folder, const char* name);
// Whether an entry, looked at without following a link, is the root of a mount.
bool isMountRootEntry(const std::string& path, const EntryInfo& info);

// Sorts names in natural order (NameOrder) through precomputed keys.
void sortNaturally(std::vector<std::string>& names);

// Consults the step hook: the failure it chose, named after the step's call, or go ahead.
Result<void> runStep(const PosixHooks& hooks, PosixStep which, const std::string& from,
                     const std::string& to);
// One no-replace rename with the fallbacks of file systems that refuse the flag.
Result<void> renameStep(const PosixHooks& hooks, const Place& from, const Place& to);

} // namespace quorvel
