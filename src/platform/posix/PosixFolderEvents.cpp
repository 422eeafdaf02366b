#include "platform/posix/PosixFolderEvents.h"

#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>

namespace quorvel {

namespace {

// What changes a file list: names that come, go or are rewritten, and the folder itself
// going away. Reads are not news.
constexpr std::uint32_t listedChanges = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                        IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF |
                                        IN_ONLYDIR;

} // namespace

PosixFolderEvents::PosixFolderEvents() {
    // Without inotify (a limit of instances reached) the lists are re-read only on request.
    if (const auto fd = sys::inotifyInit(IN_NONBLOCK | IN_CLOEXEC))
        fd_ = fd.value();
}

PosixFolderEvents::~PosixFolderEvents() {
    if (fd_ >= 0)
        (void)sys::close(fd_);
}

Result<void> PosixFolderEvents::add(const std::string& folder) {
    if (fd_ < 0)
        return SystemError{"inotify_init1", ENOSYS};
    if (watches_.count(folder) != 0)
        return {};
    const auto watch = sys::inotifyAddWatch(fd_, folder, listedChanges);
    if (!watch)
        return watch.error();
    watches_[folder] = watch.value();
    folders_[watch.value()].insert(folder);
    return {};
}

void PosixFolderEvents::remove(const std::string& folder) {
    const auto it = watches_.find(folder);
    if (it == watches_.end())
        return;
    const int watch = it->second;
    watches_.erase(it);
    auto& sharing = folders_[watch];
    sharing.erase(folder);
    if (sharing.empty()) {
        folders_.erase(watch);
        (void)sys::inotifyRemoveWatch(fd_, watch);
    }
}

// The kernel dropped the watch (its folder went, or was unmounted): the folder is news.
void PosixFolderEvents::forget(int watch, std::set<std::string>& news) {
    const auto it = folders_.find(watch);
    if (it == folders_.end())
        return;
    for (const std::string& folder : it->second) {
        news.insert(folder);
        watches_.erase(folder);
    }
    folders_.erase(it);
}

std::vector<std::string> PosixFolderEvents::take() {
    std::set<std::string> news;
    if (fd_ < 0)
        return {};
    std::vector<char> buffer(std::size_t{64} * 1024);
    for (;;) {
        const auto got = sys::read(fd_, buffer);
        if (!got || got.value() == 0)
            break;
        for (std::size_t at = 0; at + sizeof(inotify_event) <= got.value();) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + at, sizeof event);
            at += sizeof event + event.len;
            if ((event.mask & IN_Q_OVERFLOW) != 0) {
                // Events were lost: every folder may have changed.
                for (const auto& [folder, watch] : watches_)
                    news.insert(folder);
            } else if ((event.mask & IN_IGNORED) != 0) {
                forget(event.wd, news);
            } else if (const auto it = folders_.find(event.wd); it != folders_.end()) {
                news.insert(it->second.begin(), it->second.end());
            }
        }
    }
    return {news.begin(), news.end()};
}

} // namespace quorvel
