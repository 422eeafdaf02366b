#include "platform/qtservices/QtFolderWatcher.h"

namespace quorvel {

QtFolderWatcher::QtFolderWatcher(FolderEvents& events, std::chrono::milliseconds settle)
    : events_(events) {
    settle_.setSingleShot(true);
    settle_.setInterval(settle);
    QObject::connect(&settle_, &QTimer::timeout, [this] { deliver(); });
    if (events_.descriptor() >= 0) {
        notifier_ = std::make_unique<QSocketNotifier>(events_.descriptor(), QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { collect(); });
    }
}

void QtFolderWatcher::watch(const std::vector<std::string>& folders) {
    const std::set<std::string> wanted(folders.begin(), folders.end());
    for (auto it = watched_.begin(); it != watched_.end();) {
        if (wanted.count(*it) == 0) {
            events_.remove(*it);
            pending_.erase(*it);
            it = watched_.erase(it);
        } else {
            ++it;
        }
    }
    for (const std::string& folder : wanted) {
        if (!folder.empty() && watched_.count(folder) == 0 && events_.add(folder))
            watched_.insert(folder);
    }
}

// The first news of a burst starts the settling time; what comes meanwhile joins it.
void QtFolderWatcher::collect() {
    for (std::string& folder : events_.take()) {
        if (watched_.count(folder) != 0)
            pending_.insert(std::move(folder));
    }
    if (!pending_.empty() && !settle_.isActive())
        settle_.start();
}

void QtFolderWatcher::deliver() {
    if (pending_.empty())
        return;
    const std::vector<std::string> folders(pending_.begin(), pending_.end());
    if (onChange && !onChange(folders)) {
        settle_.start();
        return;
    }
    pending_.clear();
    // A folder that went away lost its watch; one made again under its name gets a new one.
    for (const std::string& folder : folders) {
        if (!events_.add(folder))
            watched_.erase(folder);
    }
}

} // namespace quorvel
