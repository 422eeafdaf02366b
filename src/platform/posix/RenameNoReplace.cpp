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

int renameThroughTemporary(const PosixHooks& hooks, const std::string& from,
                           const std::string& to) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string temporary = sibling(from, temporaryName("rename"));
        const int away = renameStep(hooks, from, temporary);
        if (away == EEXIST)
            continue;
        if (away != 0)
            return away;
        const int into = renameStep(hooks, temporary, to);
        if (into != 0)
            renameStep(hooks, temporary, from);
        return into;
    }
    return EEXIST;
}

} // namespace

int renameStep(const PosixHooks& hooks, const std::string& from, const std::string& to) {
    int error = runStep(hooks, PosixStep::Rename, from, to);
    if (error == 0)
        error = sys::renameNoReplace(from, to).code();
    if (error != EINVAL && error != ENOSYS)
        return error;
    // The file system does not take the flag. A hard link cannot replace anything either.
    const auto source = sys::lstat(from);
    if (!source)
        return source.code();
    if (!S_ISDIR(source.value().st_mode)) {
        const auto linked = sys::link(from, to);
        if (linked) {
            const auto unlinked = sys::unlink(from);
            if (!unlinked)
                (void)sys::unlink(to);
            return unlinked.code();
        }
        if (linked.code() != EPERM && linked.code() != EOPNOTSUPP && linked.code() != EMLINK)
            return linked.code();
    }
    // No hard links either (FAT): the last resort leaves a narrow window open.
    const auto target = sys::lstat(to);
    if (target)
        return EEXIST;
    if (target.code() != ENOENT)
        return target.code();
    return sys::rename(from, to).code();
}

int PosixFileSystem::renameNoReplace(const std::string& from, const std::string& to) {
    forgetSnapshots();
    const int error = renameStep(*hooks_, from, to);
    // A file offered its own name finds it taken, by itself.
    if (error != EEXIST || from == to)
        return error;
    struct stat source {};
    struct stat target {};
    if (::lstat(from.c_str(), &source) != 0 || ::lstat(to.c_str(), &target) != 0 ||
        (!sameEntry(source, target) && !onlySpellingIsSource(from, to)))
        return EEXIST;
    // The "existing" target is the entry itself, seen through a case-insensitive file
    // system. (Two hard links look the same; there the second step refuses.)
    return renameThroughTemporary(*hooks_, from, to);
}

} // namespace quorvel
