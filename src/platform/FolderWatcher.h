#pragma once

#include "platform/Result.h"

#include <functional>
#include <string>
#include <vector>

namespace quorvel {

// The kernel's news of changes in folders: a descriptor that turns readable while news
// waits, and the folders that the news is about.
class FolderEvents {
public:
    virtual ~FolderEvents() = default;
    // Watches a folder for names that come, go or change; watching it again costs nothing.
    virtual Result<void> add(const std::string& folder) = 0;
    virtual void remove(const std::string& folder) = 0;
    // Readable while news waits; -1 when the kernel gave no watching at all.
    virtual int descriptor() const = 0;
    // The folders with news since the last call, each once; never waits. A folder that went
    // away is among them, and is no longer watched.
    virtual std::vector<std::string> take() = 0;
};

// What the window asks of the desktop: to watch the folders it shows, and to hear once per
// burst of changes made in them by other programs (or by itself).
class FolderWatcher {
public:
    virtual ~FolderWatcher() = default;
    // Watches exactly these folders from now on; one that cannot be watched is left out (a
    // re-read asked by the user still sees it).
    virtual void watch(const std::vector<std::string>& folders) = 0;

    // Runs on the event thread once a burst has settled, with the folders it touched; false
    // asks for the same news again after the next settling time, while a batch of the
    // window's own is under way.
    std::function<bool(const std::vector<std::string>& folders)> onChange;
};

} // namespace quorvel
