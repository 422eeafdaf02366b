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
    folders_.clear();
    inodes_.clear();
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

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

void BatchExecutor::wrote(std::string_view target) {
    const std::string_view folder = folderOf(target);
    if (std::find(writtenFolders_.begin(), writtenFolders_.end(), folder) == writtenFolders_.end())
        writtenFolders_.emplace_back(folder);
}

Result<Folder*> BatchExecutor::folder(std::string_view path) {
    // Mostly one or two folders, the last one asked most often.
    for (auto it = folders_.rbegin(); it != folders_.rend(); ++it)
        if ((*it)->path() == path)
            return it->get();
    Result<std::unique_ptr<Folder>> opened = fs_.openFolder(std::string(path), true);
    if (!opened)
        return opened.error();
    folders_.push_back(std::move(opened.value()));
    return folders_.back().get();
}

void BatchExecutor::openFolders(std::span<const WorkItem> group) {
    for (const WorkItem& item : group) {
        (void)folder(folderOf(item.source));
        (void)folder(folderOf(item.target));
    }
}

void BatchExecutor::readInodes(std::span<const WorkItem> group) {
    // Below this, asking each file costs less than reading a large folder whole.
    constexpr std::size_t manyRenames = 64;
    if (group.size() < manyRenames)
        return;
    for (const WorkItem& item : group) {
        if (item.kind != ChangeKind::Rename)
            continue;
        const Result<Folder*> in = folder(folderOf(item.source));
        if (!in || std::any_of(inodes_.begin(), inodes_.end(),
                               [&](const auto& read) { return read.first == in.value(); }))
            continue;
        inodes_.emplace_back(in.value(), fs_.entryInodes(*in.value()));
    }
}

std::uint64_t BatchExecutor::knownInode(const Folder& folder, const std::string& name) const {
    for (const auto& [read, inodes] : inodes_)
        if (read == &folder)
            return inodes.find(name);
    return 0;
}

void BatchExecutor::identify(ItemOutcome& outcome, Folder& from, Folder& to, const WorkItem& item) {
    // A rename keeps the inode the folder's read gave for the old name. Were the file
    // swapped in between, undo would find another inode and leave it alone.
    if (item.kind == ChangeKind::Rename) {
        if (const std::uint64_t inode = knownInode(to, nameOf(item.source))) {
            outcome.made = {.device = to.identity().device, .inode = inode};
            return;
        }
    }
    if (Result<FileIdentity> made = fs_.identifyAt(to, nameOf(item.target)))
        outcome.made = made.value();
    if (item.kind != ChangeKind::Copy)
        return;
    if (Result<FileIdentity> source = fs_.identifyAt(from, nameOf(item.source)))
        outcome.source = source.value();
}

ItemOutcome BatchExecutor::change(const WorkItem& item) {
    Result<Folder*> from = folder(folderOf(item.source));
    Result<Folder*> to = from ? folder(folderOf(item.target)) : Result<Folder*>(from.error());
    Result<void> done = to ? Result<void>() : Result<void>(to.error());
    if (done && item.kind == ChangeKind::Rename && from.value() != to.value())
        done = SystemError{"renameat2", EXDEV};
    else if (done && item.kind == ChangeKind::Rename)
        done = fs_.renameAt(*to.value(), nameOf(item.source), nameOf(item.target));
    else if (done)
        done = fs_.copyAt(*from.value(), nameOf(item.source), *to.value(), nameOf(item.target));
    ItemOutcome outcome;
    const int error = done.code();
    if (error == EEXIST)
        outcome.outcome = Outcome::Collision;
    else if (error == ENOENT && !fs_.isFolder(std::string(folderOf(item.target))))
        // The target folder went away, not the file.
        outcome = {Outcome::Failed, error, "dossier de destination introuvable"};
    else if (error != 0)
        outcome = {Outcome::Failed, error, {}};
    else if (observer_ != nullptr)
        identify(outcome, *from.value(), *to.value(), item);
    return outcome;
}

ItemOutcome BatchExecutor::performOne(const WorkItem& item) {
    if (stopped_)
        return {Outcome::Refused, ECANCELED, "lot arrêté"};
    advance();
    ItemOutcome outcome = change(item);
    if (outcome.outcome == Outcome::Done)
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
    // Opened before the journal records them, so that it records the folders the changes
    // will be made in.
    openFolders(group);
    readInodes(group);
    observer_->beforeGroup(group);
    stopped_ = !observer_->proceed();
}

void BatchExecutor::settled(const WorkItem& item, const ItemOutcome& outcome) {
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
    inodes_.clear();
    folders_.clear();
    if (shown_)
        show_("");
    shown_ = false;
    if (observer_ != nullptr)
        observer_->ends(summary_);
    return summary_;
}

} // namespace quorvel
