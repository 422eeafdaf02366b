#include "panes/DiskFollower.h"

#include "controls/Controls.h"
#include "panes/Panes.h"
#include "platform/FolderWatcher.h"

#include <algorithm>
#include <utility>

namespace quorvel {

DiskFollower::DiskFollower(FileList& sourceFiles, FileList& targetFiles, Panes& panes,
                           FolderWatcher* watcher, std::function<bool()> busy)
    : File1_(sourceFiles), File2_(targetFiles), panes_(panes), watcher_(watcher),
      busy_(std::move(busy)) {
    File1_.onReread = [this] { reread(File1_); };
    File2_.onReread = [this] { reread(File2_); };
    if (watcher_ == nullptr)
        return;
    watcher_->onChange = [this](const std::vector<std::string>& folders) {
        return folderChanged(folders);
    };
    subscriptions_.push_back(File1_.subscribe([this](Change) { followShownFolders(); }));
    subscriptions_.push_back(File2_.subscribe([this](Change) { followShownFolders(); }));
    followShownFolders();
}

DiskFollower::~DiskFollower() {
    if (watcher_ == nullptr)
        return;
    watcher_->onChange = nullptr;
    File1_.unsubscribe(subscriptions_[0]);
    File2_.unsubscribe(subscriptions_[1]);
}

void DiskFollower::reread(FileList& list) {
    list.reread();
    panes_.listReread(&list == &File1_);
}

// Both lists may show the folder; each is re-read once.
bool DiskFollower::folderChanged(const std::vector<std::string>& folders) {
    if (busy_ && busy_())
        return false;
    const auto shown = [&](const FileList& list) {
        return std::find(folders.begin(), folders.end(), list.path()) != folders.end();
    };
    if (shown(File1_))
        reread(File1_);
    if (shown(File2_))
        reread(File2_);
    return true;
}

// Every change of a list passes here, so the comparison comes first.
void DiskFollower::followShownFolders() {
    std::vector<std::string> shown{File1_.path()};
    if (File2_.path() != File1_.path())
        shown.push_back(File2_.path());
    if (shown == watched_)
        return;
    watched_ = std::move(shown);
    watcher_->watch(watched_);
}

} // namespace quorvel
