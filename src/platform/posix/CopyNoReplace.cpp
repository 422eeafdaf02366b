#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixInternals.h"
#include "platform/posix/SystemCalls.h"
#include "text/Paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {

namespace {

// Copies until the end of the source, through the kernel when it can.
Result<void> copyData(int source, int target) {
    bool kernelCopy = true;
    std::vector<char> buffer;
    for (;;) {
        if (kernelCopy) {
            const auto copied = sys::copyFileRange(source, target, std::size_t{1} << 30);
            if (copied && copied.value() > 0)
                continue;
            if (copied)
                return {};
            const int code = copied.code();
            if (code != EXDEV && code != EINVAL && code != ENOSYS && code != EOPNOTSUPP &&
                code != EBADF)
                return copied.error();
            // Offsets moved with what was copied: the plain loop goes on from there.
            kernelCopy = false;
            buffer.resize(std::size_t{1} << 20);
        }
        const auto got = sys::read(source, buffer);
        if (!got)
            return got.error();
        if (got.value() == 0)
            return {};
        if (auto written = sys::writeAll(target, buffer.data(), got.value()); !written)
            return written;
    }
}

// The process id in the name of a hidden partial copy (".quorvel-copy-PID-N"), 0 for any
// other name.
pid_t copyOwner(std::string_view name) {
    const std::string_view prefix = ".quorvel-copy-";
    if (!name.starts_with(prefix))
        return 0;
    name.remove_prefix(prefix.size());
    const auto dash = name.find('-');
    const auto digits = [](std::string_view text) {
        return !text.empty() && text.size() <= 9 &&
               std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !digits(name.substr(0, dash)) ||
        !digits(name.substr(dash + 1)))
        return 0;
    return static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
}

// Removes a partial copy only when nobody can still be writing it: its process is gone
// and no writer holds its lock (the lock also covers a writer of another machine or PID
// namespace, whose numbers mean nothing here). A live process of any program keeps it.
void removeIfAbandoned(int folder, const char* name, pid_t owner) {
    if (sys::processExists(owner))
        return;
    const auto opened = sys::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (!opened)
        return;
    const Descriptor file(opened.value());
    const auto st = sys::fstat(file.get());
    if (!st || !S_ISREG(st.value().st_mode))
        return;
    if (sys::lockExclusive(file.get()).code() == EWOULDBLOCK)
        return;
    (void)sys::unlinkat(folder, name, 0);
}

void removeAbandonedCopies(int folder) {
    auto dir = sys::readFolder(folder);
    if (!dir)
        return;
    for (;;) {
        const Result<const dirent*> next = dir.value().next();
        if (!next || next.value() == nullptr)
            return;
        const char* name = next.value()->d_name;
        if (const pid_t owner = copyOwner(name); owner > 0)
            removeIfAbandoned(folder, name, owner);
    }
}

Result<void> fillTarget(const PosixHooks& hooks, int source, const struct stat& st, int target,
                        const std::string& from, const std::string& to) {
    auto filled = runStep(hooks, PosixStep::CopyData, from, to);
    if (filled)
        filled = copyData(source, target);
    if (!filled)
        return filled;
    // Permission bits only: the copy belongs to whoever makes it, so set-id bits stay off.
    // The data is what counts: a card that keeps no modes (FAT through FUSE answers
    // ENOSYS) or no times still takes the copy.
    (void)sys::fchmod(target, st.st_mode & 0777);
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    (void)sys::futimens(target, times);
    return {};
}

Result<void> copyThroughHiddenFile(const PosixHooks& hooks, std::set<std::string>& sweptFolders,
                                   int source, const struct stat& st, const std::string& from,
                                   const Place& to) {
    // Without unnamed files, a copy cut short leaves a hidden one behind; the next copy
    // into that folder sweeps what dead processes left, once per folder.
    if (sweptFolders.insert(folderOf(to.path)).second)
        removeAbandonedCopies(to.folder);
    Place temporary;
    Result<int> opened = SystemError{"open", EEXIST};
    for (int attempt = 0; attempt < 100 && !opened; ++attempt) {
        temporary = besides(to, temporaryName("copy"));
        opened =
            sys::openat(to.folder, temporary.name, O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0600);
        if (!opened && opened.code() != EEXIST)
            return opened.error();
    }
    if (!opened)
        return opened.error();
    Descriptor target(opened.value());
    // Tells a sweep of another process that this one is being written.
    (void)sys::lockExclusive(target.get());
    auto copied = fillTarget(hooks, source, st, target.get(), from, to.path);
    if (auto closed = sys::close(target.release()); !closed && copied)
        copied = closed;
    if (copied)
        copied = renameStep(hooks, temporary, to);
    if (!copied)
        (void)sys::unlinkat(to.folder, temporary.name, 0);
    return copied;
}

} // namespace

Result<void> PosixFileSystem::copyNoReplace(const std::string& from, const std::string& to) {
    auto fromFolder = openFolder(folderOf(from), true);
    if (!fromFolder)
        return fromFolder.error();
    auto toFolder = openFolder(folderOf(to), true);
    if (!toFolder)
        return toFolder.error();
    return copyAt(*fromFolder.value(), lastComponent(from), *toFolder.value(), lastComponent(to));
}

Result<void> PosixFileSystem::copyAt(Folder& from, const std::string& name, Folder& to,
                                     const std::string& newName) {
    forgetSnapshots();
    if (descriptorOf(from) < 0 || descriptorOf(to) < 0)
        return SystemError{"open", EBADF};
    const Place source = placeIn(from, name);
    const Place target = placeIn(to, newName);
    const Descriptor opened(
        TRY(sys::openat(source.folder, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK)));
    // Looked at before the copy reads it, which may move its access time.
    const struct stat st = TRY(sys::fstat(opened.get()));
    if (S_ISDIR(st.st_mode))
        return SystemError{"open", EISDIR};
    if (!S_ISREG(st.st_mode))
        return SystemError{"open", EINVAL};
    auto copied = copyFile(opened.get(), st, source.path, target);
    if (copied)
        writeback_.wrote(to.path(), static_cast<std::uint64_t>(st.st_size));
    return copied;
}

Result<void> PosixFileSystem::copyFile(int source, const struct stat& st, const std::string& from,
                                       const Place& to) {
    auto made = runStep(*hooks_, PosixStep::TempFile, from, to.path);
    Descriptor target;
    if (made) {
        auto opened = sys::openat(to.folder, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
        if (opened)
            target.reset(opened.value());
        else
            made = opened.error();
    }
    if (made.code() == EOPNOTSUPP || made.code() == EISDIR || made.code() == EINVAL)
        return copyThroughHiddenFile(*hooks_, sweptFolders_, source, st, from, to);
    if (!made)
        return made;
    // Until it is linked, the file has no name: closing it on failure is all the cleanup.
    auto filled = fillTarget(*hooks_, source, st, target.get(), from, to.path);
    if (filled)
        filled = runStep(*hooks_, PosixStep::LinkTarget, from, to.path);
    if (!filled)
        return filled;
    // AT_EMPTY_PATH spares resolving a /proc path for every file, where the process may
    // use it; once refused, it is not asked again.
    if (!emptyPathRefused_) {
        const auto linked = sys::linkat(target.get(), "", to.folder, to.name, AT_EMPTY_PATH);
        if (linked.code() != ENOENT && linked.code() != EPERM)
            return linked;
        emptyPathRefused_ = true;
    }
    const std::string self = "/proc/self/fd/" + std::to_string(target.get());
    return sys::linkat(AT_FDCWD, self, to.folder, to.name, AT_SYMLINK_FOLLOW);
}

} // namespace quorvel
