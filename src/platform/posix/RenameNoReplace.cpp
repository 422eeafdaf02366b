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
bool onlySpellingIsSource(const std::string& from, const std::string& to) {
    const std::string source = lastComponent(from);
    const std::string target = lastComponent(to);
    if (folderOf(from) != folderOf(to) || !sameIgnoringCase(source, target))
        return false;
    DIR* dir = ::opendir(folderOf(to).c_str());
    if (dir == nullptr)
        return false;
    bool sourceSeen = false;
    bool other = false;
    while (const dirent* entry = ::readdir(dir)) {
        if (!sameIgnoringCase(entry->d_name, target))
            continue;
        (source == entry->d_name ? sourceSeen : other) = true;
    }
    ::closedir(dir);
    return sourceSeen && !other;
}

Result<void> renameThroughTemporary(const PosixHooks& hooks, const std::string& from,
                                    const std::string& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = sibling(from, temporaryName("rename"));
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

} // namespace

Result<void> renameStep(const PosixHooks& hooks, const std::string& from, const std::string& to) {
    auto renamed = runStep(hooks, PosixStep::Rename, from, to);
    if (renamed)
        renamed = sys::renameNoReplace(from, to);
    if (renamed.code() != EINVAL && renamed.code() != ENOSYS)
        return renamed;
    // The file system does not take the flag. A hard link cannot replace anything either.
    const auto source = sys::lstat(from);
    if (!source)
        return source.error();
    if (!S_ISDIR(source.value().st_mode)) {
        const auto linked = sys::link(from, to);
        if (linked) {
            const auto unlinked = sys::unlink(from);
            if (!unlinked)
                (void)sys::unlink(to);
            return unlinked;
        }
        if (linked.code() != EPERM && linked.code() != EOPNOTSUPP && linked.code() != EMLINK)
            return linked;
    }
    // No hard links either (FAT): the last resort leaves a narrow window open.
    const auto target = sys::lstat(to);
    if (target)
        return SystemError{"rename", EEXIST};
    if (target.code() != ENOENT)
        return target.error();
    return sys::rename(from, to);
}

Result<void> PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    forgetSnapshots();
    const auto renamed = renameStep(*hooks_, from, to);
    // A file offered its own name finds it taken, by itself.
    if (renamed.code() != EEXIST || from == to)
        return renamed;
    const auto source = sys::lstat(from);
    const auto target = sys::lstat(to);
    if (!source || !target ||
        (!sameEntry(source.value(), target.value()) && !onlySpellingIsSource(from, to)))
        return renamed;
    // The "existing" target is the entry itself, seen through a case-insensitive file
    // system. (Two hard links look the same; there the second step refuses.)
    return renameThroughTemporary(*hooks_, from, to);
}

} // namespace quorvel
