#pragma once

#include "platform/FolderWatcher.h"

#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace quorvel {

// Hears the kernel's news on the event loop and passes it on once a burst has settled: a
// program that writes a hundred files costs the window one re-read per settling time, not a
// hundred.
class QtFolderWatcher : public FolderWatcher {
public:
    // events outlives the watcher.
    explicit QtFolderWatcher(FolderEvents& events,
                             std::chrono::milliseconds settle = std::chrono::milliseconds(200));
    QtFolderWatcher(const QtFolderWatcher&) = delete;
    QtFolderWatcher& operator=(const QtFolderWatcher&) = delete;

    void watch(const std::vector<std::string>& folders) override;

private:
    void collect();
    void deliver();

    FolderEvents& events_;
    std::set<std::string> watched_;
    std::set<std::string> pending_;
    QTimer settle_;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quorvel
