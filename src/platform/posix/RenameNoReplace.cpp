#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"
#include "text/Paths.h"
#include "text/Utf8.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace quorvel {

namespace {

// Whether `to` differs from `from` by letter case alone and its folder holds no entry of
// that name but the source itself. A case-insensitive file system that gives each spelling
// its own inode (FAT through FUSE) shows the source under the target's spelling: only the
// folder's real names tell it from a second file.
bool onlySpellingIsSource(const Place& from, const Place& to) {
    if (from.folder != to.folder || !sameIgnoringCase(from.name, to.name))
        return false;
    auto dir = sys::readFolder(to.folder);
    if (!dir)
        return false;
    bool sourceSeen = false;
    bool other = false;
    for (;;) {
        const Result<const dirent*> next = dir.value().next();
        if (!next)
            return false;
        const dirent* entry = next.value();
        if (entry == nullptr)
            break;
        if (!sameIgnoringCase(entry->d_name, to.name))
            continue;
        (from.name == entry->d_name ? sourceSeen : other) = true;
    }
    return sourceSeen && !other;
}

Result<void> renameThroughTemporary(const PosixHooks& hooks, const Place& from, const Place& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const Place temporary = besides(from, temporaryName("rename"));
        const auto away = renameStep(hooks, from, temporary);
        if (away.code() == EEXIST)
            continue;
        if (!away)
            return away;
        const auto into = renameStep(hooks, temporary, to);
        if (!into)
            (void)renameStep(hooks, temporary, from);
        return into;
    }
    return SystemError{"renameat2", EEXIST};
}

Result<struct stat> statAt(const Place& place) {
    return sys::statAt(place.folder, place.name, AT_SYMLINK_NOFOLLOW);
}

} // namespace

Result<void> renameStep(const PosixHooks& hooks, const Place& from, const Place& to) {
    auto renamed = runStep(hooks, PosixStep::Rename, from.path, to.path);
    if (renamed)
        renamed = sys::renameNoReplaceAt(from.folder, from.name, to.folder, to.name);
    if (renamed.code() != EINVAL && renamed.code() != ENOSYS)
        return renamed;
    // The file system does not take the flag. A hard link cannot replace anything either.
    const auto source = statAt(from);
    if (!source)
        return source.error();
    if (!S_ISDIR(source.value().st_mode)) {
        const auto linked = sys::linkat(from.folder, from.name, to.folder, to.name, 0);
        if (linked) {
            const auto unlinked = sys::unlinkat(from.folder, from.name, 0);
            if (!unlinked)
                (void)sys::unlinkat(to.folder, to.name, 0);
            return unlinked;
        }
        if (linked.code() != EPERM && linked.code() != EOPNOTSUPP && linked.code() != EMLINK)
            return linked;
    }
    // No hard links either (FAT): the last resort leaves a narrow window open.
    const auto target = statAt(to);
    if (target)
        return SystemError{"rename", EEXIST};
    if (target.code() != ENOENT)
        return target.error();
    return sys::renameat(from.folder, from.name, to.folder, to.name);
}

Result<void> PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    auto fromFolder = openFolder(folderOf(from), true);
    if (!fromFolder)
        return fromFolder.error();
    if (folderOf(from) == folderOf(to))
        return renameBetween(placeIn(*fromFolder.value(), lastComponent(from)),
                             placeIn(*fromFolder.value(), lastComponent(to)));
    auto toFolder = openFolder(folderOf(to), true);
    if (!toFolder)
        return toFolder.error();
    return renameBetween(placeIn(*fromFolder.value(), lastComponent(from)),
                         placeIn(*toFolder.value(), lastComponent(to)));
}

Result<void> PosixFileSystem::renameAt(Folder& folder, const std::string& from,
                                       const std::string& to) {
    if (descriptorOf(folder) < 0)
        return SystemError{"renameat2", EBADF};
    return renameBetween(placeIn(folder, from), placeIn(folder, to));
}

Result<void> PosixFileSystem::renameBetween(const Place& from, const Place& to) {
    forgetSnapshots();
    const auto renamed = renameStep(*hooks_, from, to);
    // A file offered its own name finds it taken, by itself.
    if (renamed.code() != EEXIST || (from.folder == to.folder && from.name == to.name))
        return renamed;
    const auto source = statAt(from);
    const auto target = statAt(to);
    if (!source || !target ||
        (!sameEntry(source.value(), target.value()) && !onlySpellingIsSource(from, to)))
        return renamed;
    // The "existing" target is the entry itself, seen through a case-insensitive file
    // system. (Two hard links look the same; there the second step refuses.)
    return renameThroughTemporary(*hooks_, from, to);
}

} // namespace quorvel
