#include "journal/Journal.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <functional>

namespace quorvel {

namespace {

constexpr std::string_view suffix = ".journal";
constexpr std::size_t marksPerWrite = 256;

std::uint64_t hashOf(const WorkItem& item) {
    const std::hash<std::string_view> hash;
    return hash(item.source) * 31 + hash(item.target);
}

// The sequence number a batch file's name begins with, or nothing for another file.
std::optional<std::uint64_t> sequenceOf(const std::string& name) {
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(name.data(), name.data() + name.size(), value);
    if (error != std::errc() || end == name.data() || std::string_view(end) != suffix)
        return std::nullopt;
    return value;
}

// Ten digits sort in the order of the numbers; one more would sort before them.
constexpr std::uint64_t lastSequence = 9'999'999'999;

std::string fileName(std::uint64_t sequence) {
    std::string digits = std::to_string(sequence);
    return std::string(10 - std::min<std::size_t>(10, digits.size()), '0') + digits +
           std::string(suffix);
}

} // namespace

Journal::Journal(JournalFiles& files, std::string folder)
    : files_(files), folder_(std::move(folder)) {}

std::vector<std::string> Journal::batchFiles() {
    Result<std::vector<std::string>> names = files_.names(folder_);
    std::vector<std::pair<std::uint64_t, std::string>> found;
    if (names)
        for (const std::string& name : names.value())
            if (const auto sequence = sequenceOf(name))
                found.emplace_back(*sequence, folder_ + "/" + name);
    std::sort(found.begin(), found.end(), std::greater<>());
    std::vector<std::string> paths;
    paths.reserve(found.size());
    for (auto& [sequence, path] : found)
        paths.push_back(std::move(path));
    return paths;
}

void Journal::prune(const std::vector<std::string>& newestFirst) {
    for (std::size_t i = keptBatches - 1; i < newestFirst.size(); ++i)
        (void)files_.remove(newestFirst[i]);
}

void Journal::begins(const BatchInfo& info) {
    info_ = info;
    file_.reset();
    failure_.reset();
    recordedChanges_ = false;
    folders_ = {};
    group_.clear();
    marks_.clear();
    made_.clear();
    announced_ = 0;
    cursor_ = 0;
    written_ = 0;
}

void Journal::fail(const SystemError& error) {
    if (!failure_)
        failure_ = error;
    // A file that could not take even its first record (a full disk) holds nothing.
    if (file_ && written_ == 0)
        (void)files_.remove(path_);
    file_.reset();
}

// The batch's file appears with its first changes: a batch that changes nothing leaves none.
bool Journal::open() {
    if (file_)
        return true;
    if (failure_)
        return false;
    if (Result<void> made = files_.makeFolder(folder_); !made) {
        fail(made.error());
        return false;
    }
    const std::vector<std::string> existing = batchFiles();
    std::uint64_t sequence = 1;
    if (!existing.empty())
        sequence = sequenceOf(existing.front().substr(folder_.size() + 1)).value_or(0) + 1;
    prune(existing);
    // Another copy of the program may take the same number at the same moment.
    Result<std::unique_ptr<AppendFile>> created = SystemError{"open", EEXIST};
    for (int attempt = 0; attempt < 100 && !created; ++attempt, ++sequence) {
        if (sequence > lastSequence) {
            created = SystemError{"open", EOVERFLOW};
            break;
        }
        path_ = folder_ + "/" + fileName(sequence);
        created = files_.create(path_);
        if (!created && created.code() != EEXIST && created.code() != EAGAIN)
            break;
    }
    if (!created) {
        fail(created.error());
        return false;
    }
    file_ = std::move(created.value());
    out_ = journal::fileStart(info_);
    return true;
}

void Journal::flushMarks() {
    if (!marks_.empty())
        journal::addMarks(out_, marks_);
    marks_.clear();
    made_.clear();
}

void Journal::write(bool durable) {
    if (!file_)
        return;
    Result<void> written = file_->append(out_);
    if (written)
        written_ += out_.size();
    out_.clear();
    if (written && durable)
        written = file_->sync();
    if (!written)
        fail(written.error());
}

void Journal::beforeGroup(std::span<const WorkItem> items) {
    if (items.empty() || !open())
        return;
    flushMarks();
    journal::addGroup(out_, announced_, items, folders_, [this](std::string_view folder) {
        const Result<FileIdentity> identity = files_.identifyFolder(std::string(folder));
        return identity ? identity.value() : FileIdentity{};
    });
    // The changes may be made only once their record is on the disk.
    write(true);
    groupFirst_ = announced_;
    announced_ += static_cast<std::uint32_t>(items.size());
    group_.resize(items.size());
    std::transform(items.begin(), items.end(), group_.begin(), hashOf);
    cursor_ = 0;
}

void Journal::afterItem(const WorkItem& item, const ItemOutcome& outcome) {
    if (!file_ || item.source == item.target)
        return;
    const std::uint64_t hash = hashOf(item);
    const auto found =
        std::find(group_.begin() + static_cast<std::ptrdiff_t>(cursor_), group_.end(), hash);
    // Not announced: settled without the disk.
    if (found == group_.end())
        return;
    cursor_ = static_cast<std::size_t>(found - group_.begin()) + 1;
    journal::Mark mark{groupFirst_ + static_cast<std::uint32_t>(cursor_ - 1),
                       outcome.outcome == Outcome::Done, nullptr, nullptr,
                       item.kind == ChangeKind::Rename};
    if (mark.done) {
        FileIdentity made = outcome.made;
        if (made.inode == 0 && item.kind == ChangeKind::Copy) {
            Result<FileIdentity> looked = files_.identify(item.target);
            // Without its identity a copy could never be told from a later file of its
            // name, so it stays unconfirmed and the disk is asked at undo time.
            if (!looked)
                return;
            made = looked.value();
        }
        if (made.inode != 0)
            mark.made = &made_.emplace_back(made);
        if (item.kind == ChangeKind::Copy && outcome.source.inode != 0)
            mark.copied = &made_.emplace_back(outcome.source);
    }
    recordedChanges_ = recordedChanges_ || mark.done;
    marks_.push_back(mark);
    if (marks_.size() >= marksPerWrite) {
        flushMarks();
        write(false);
    }
}

void Journal::ends(const BatchSummary&) {
    if (!file_)
        return;
    flushMarks();
    journal::addEnd(out_);
    write(true);
    // A batch that changed nothing has nothing to undo.
    if (file_ && !recordedChanges_)
        (void)files_.remove(path_);
    file_.reset();
}

} // namespace quorvel
