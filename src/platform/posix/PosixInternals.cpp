#include "platform/posix/PosixInternals.h"

#include "platform/posix/SystemCalls.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

#ifndef STATX_ATTR_MOUNT_ROOT
#define STATX_ATTR_MOUNT_ROOT 0x00002000
#endif
#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x00001000U
#endif

namespace quorvel {

LocalVolume localVolume(int fd) {
    const auto info = sys::fstatfs(fd);
    if (!info)
        return LocalVolume::No;
    switch (static_cast<unsigned long>(info.value().f_type)) {
    case 0xEF53:     // ext2, ext3, ext4
    case 0x58465342: // xfs
    case 0x9123683E: // btrfs
    case 0x01021994: // tmpfs
    case 0xF2F52010: // f2fs
        return LocalVolume::Yes;
    case 0x794C7630: // overlay
        return LocalVolume::Overlay;
    default:
        return LocalVolume::No;
    }
}

std::string sibling(const std::string& path, const std::string& name) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? name : path.substr(0, slash + 1) + name;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string withoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string temporaryName(const char* purpose) {
    static std::atomic<unsigned> counter{0};
    return ".quorvel-" + std::string(purpose) + "-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1));
}

int descriptorOf(Folder& folder) {
    auto* ours = dynamic_cast<PosixFolder*>(&folder);
    return ours != nullptr ? ours->fd() : -1;
}

namespace {

std::int64_t nanoseconds(std::int64_t seconds, std::int64_t nanos) {
    return seconds * 1'000'000'000 + nanos;
}

} // namespace

FileIdentity identityOf(const struct statx& sx) {
    FileIdentity identity{makedev(sx.stx_dev_major, sx.stx_dev_minor),
                          sx.stx_ino,
                          sx.stx_size,
                          nanoseconds(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec),
                          nanoseconds(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec),
                          0};
    if ((sx.stx_mask & STATX_BTIME) != 0)
        identity.bornNs = nanoseconds(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
    return identity;
}

FileIdentity identityOf(const struct stat& st) {
    return {st.st_dev,
            st.st_ino,
            static_cast<std::uint64_t>(st.st_size),
            nanoseconds(st.st_mtim.tv_sec, st.st_mtim.tv_nsec),
            nanoseconds(st.st_ctim.tv_sec, st.st_ctim.tv_nsec),
            0};
}

Place placeIn(Folder& folder, const std::string& name) {
    return {descriptorOf(folder), name,
            folder.path() == "/" ? "/" + name : folder.path() + "/" + name};
}

Place besides(const Place& place, const std::string& name) {
    return {place.folder, name, sibling(place.path, name)};
}

bool sameEntry(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

Result<EntryInfo> entryInfo(int folder, const char* name) {
    const struct statx sx = TRY(sys::statxAt(
        folder, name, 0, STATX_TYPE | STATX_MODE | STATX_UID | STATX_INO | STATX_MNT_ID));
    EntryInfo info;
    info.isFolder = S_ISDIR(sx.stx_mode);
    info.isLink = S_ISLNK(sx.stx_mode);
    info.mountRootKnown = (sx.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0;
    info.mountRoot = info.mountRootKnown && (sx.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    info.mountIdKnown = (sx.stx_mask & STATX_MNT_ID) != 0;
    info.mountId = sx.stx_mnt_id;
    info.device = makedev(sx.stx_dev_major, sx.stx_dev_minor);
    info.inode = sx.stx_ino;
    info.mode = sx.stx_mode;
    info.owner = sx.stx_uid;
    return info;
}

namespace {

// The system call that each step stands for, to name it when the hook makes it fail.
const char* callOf(PosixStep step) {
    switch (step) {
    case PosixStep::Rename:
        return "renameat2";
    case PosixStep::TempFile:
        return "open";
    case PosixStep::CopyData:
        return "copy_file_range";
    case PosixStep::LinkTarget:
        return "linkat";
    case PosixStep::Sync:
        return "syncfs";
    }
    return "";
}

} // namespace

Result<void> runStep(const PosixHooks& hooks, PosixStep which, const std::string& from,
                     const std::string& to) {
    if (const int error = hooks.step ? hooks.step(which, from, to) : 0)
        return SystemError{callOf(which), error};
    return {};
}

} // namespace quorvel
