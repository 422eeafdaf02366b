#include "batch/BatchExecutor.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace quorvel {

BatchExecutor::BatchExecutor(FileSystem& fs, BatchObserver* observer, ShowProgress show)
    : fs_(fs), observer_(observer), show_(std::move(show)) {}

void BatchExecutor::begin(const BatchInfo& info, std::size_t total) {
    total_ = total;
    position_ = 0;
    started_ = Clock::now();
    shown_ = false;
    stopped_ = false;
    summary_ = {};
    writtenFolders_.clear();
    if (observer_ != nullptr)
        observer_->begins(info);
}

void BatchExecutor::advance() {
    const std::size_t done = position_++;
    const auto now = Clock::now();
    if (now - started_ < std::chrono::milliseconds(500) ||
        (shown_ && now - lastShown_ < std::chrono::milliseconds(100)))
        return;
    show_("Renommage : " + std::to_string(done) + " / " + std::to_string(total_));
    lastShown_ = now;
    shown_ = true;
}

void BatchExecutor::count(const WorkItem& item, const ItemOutcome& outcome) {
    switch (outcome.outcome) {
    case Outcome::Done:
        ++summary_.done;
        break;
    case Outcome::Collision:
        ++summary_.collisions;
        break;
    case Outcome::Refused:
        ++summary_.refused;
        break;
    case Outcome::Failed:
        ++summary_.failed;
        break;
    }
    if (observer_ != nullptr)
        observer_->afterItem(item, outcome);
}

namespace {

std::string_view folderOf(std::string_view target) {
    const std::size_t slash = target.rfind('/');
    return slash == std::string_view::npos ? std::string_view(".")
                                           : target.substr(0, slash == 0 ? 1 : slash);
}

} // namespace

void BatchExecutor::wrote(std::string_view target) {
    const std::string_view folder = folderOf(target);
    if (std::find(writtenFolders_.begin(), writtenFolders_.end(), folder) == writtenFolders_.end())
        writtenFolders_.emplace_back(folder);
}

ItemOutcome BatchExecutor::performOne(const WorkItem& item) {
    if (stopped_)
        return {Outcome::Refused, ECANCELED, "lot arrêté"};
    advance();
    const int error =
        (item.kind == ChangeKind::Rename ? fs_.renameNoReplace(item.source, item.target)
                                         : fs_.copyNoReplace(item.source, item.target))
            .code();
    ItemOutcome outcome;
    if (error == EEXIST)
        outcome.outcome = Outcome::Collision;
    else if (error == ENOENT && !fs_.isFolder(std::string(folderOf(item.target))))
        // The target folder went away, not the file.
        outcome = {Outcome::Failed, error, "dossier de destination introuvable"};
    else if (error != 0)
        outcome = {Outcome::Failed, error, {}};
    else
        wrote(item.target);
    count(item, outcome);
    return outcome;
}

void BatchExecutor::perform(std::span<const WorkItem> group, std::vector<ItemOutcome>& outcomes) {
    outcomes.clear();
    announce(group);
    if (stopped_)
        return;
    for (const WorkItem& item : group)
        outcomes.push_back(performOne(item));
}

ItemOutcome BatchExecutor::perform(const WorkItem& item) {
    announce(std::span<const WorkItem>(&item, 1));
    return performOne(item);
}

void BatchExecutor::announce(std::span<const WorkItem> group) {
    if (observer_ == nullptr || stopped_)
        return;
    observer_->beforeGroup(group);
    stopped_ = !observer_->proceed();
}

void BatchExecutor::settled(const WorkItem& item, ItemOutcome outcome) {
    if (stopped_)
        return;
    advance();
    count(item, outcome);
}

BatchSummary BatchExecutor::finish() {
    for (const std::string& folder : writtenFolders_) {
        const auto synced = fs_.syncFileSystem(folder);
        if (!synced && summary_.syncError == 0)
            summary_.syncError = synced.code();
    }
    writtenFolders_.clear();
    if (shown_)
        show_("");
    shown_ = false;
    if (observer_ != nullptr)
        observer_->ends(summary_);
    return summary_;
}

} // namespace quorvel
