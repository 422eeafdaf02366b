#include "journal/Undo.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <unordered_map>

namespace quorvel {

namespace {

using journal::Change;
using journal::ChangeState;

std::string lastName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool sameFile(const FileIdentity& now, const FileIdentity& made) {
    return now.device == made.device && now.inode == made.inode && now.size == made.size &&
           now.modifiedNs == made.modifiedNs;
}

// Changes announced without an outcome on record: the disk says whether each happened.
// Followed newest first, as undo will go, so that a chain of renames reads right.
class DiskCheck {
public:
    DiskCheck(FileSystem& fs, JournalFiles& files, std::time_t began)
        : fs_(fs), files_(files), began_(static_cast<std::int64_t>(began) * 1'000'000'000) {}

    bool happened(Change& change) {
        if (change.kind == ChangeKind::Rename) {
            if (!exists(change.target) || exists(change.source))
                return false;
            present_[change.target] = false;
            present_[change.source] = true;
            return true;
        }
        // A copy is whole or absent under its name; the one the batch made has the source's
        // size and time, and took its name after the batch began.
        Result<FileIdentity> copy = files_.identify(change.target);
        Result<FileIdentity> source = files_.identify(change.source);
        if (!copy || !source || copy.value().size != source.value().size ||
            copy.value().modifiedNs != source.value().modifiedNs || copy.value().changedNs < began_)
            return false;
        change.made = copy.value();
        present_[change.target] = false;
        return true;
    }

private:
    bool exists(const std::string& path) {
        const auto known = present_.find(path);
        return known != present_.end() ? known->second : fs_.exists(path);
    }

    FileSystem& fs_;
    JournalFiles& files_;
    std::int64_t began_;
    std::unordered_map<std::string, bool> present_;
};

std::vector<std::uint32_t> stepsOf(journal::Batch& batch, FileSystem& fs, JournalFiles& files) {
    std::vector<std::uint32_t> steps;
    // Outcomes are written in the order the changes were made, so the changes without one
    // are the newest. Once the batch ended, every rename made has its outcome: one without
    // was foreseen and never made, whatever now bears its name.
    DiskCheck disk(fs, files, batch.info.began);
    for (std::size_t i = batch.changes.size(); i-- > 0;) {
        Change& change = batch.changes[i];
        if (change.state == ChangeState::Pending &&
            !(batch.ended && change.kind == ChangeKind::Rename) && disk.happened(change))
            steps.push_back(static_cast<std::uint32_t>(i));
    }
    for (auto i = batch.doneOrder.rbegin(); i != batch.doneOrder.rend(); ++i)
        if (batch.changes[*i].state == ChangeState::Done)
            steps.push_back(*i);
    return steps;
}

} // namespace

std::optional<UndoableBatch> findUndoable(Journal& journal, FileSystem& fs,
                                          std::vector<std::string>* unreadable) {
    JournalFiles& files = journal.files();
    for (const std::string& path : journal.batchFiles()) {
        Result<std::string> bytes = files.read(path);
        journal::ReadResult read = journal::read(bytes ? bytes.value() : std::string());
        if (!bytes || read.problem == journal::ReadProblem::NotAJournal) {
            if (unreadable != nullptr)
                unreadable->push_back(path);
            continue;
        }
        UndoableBatch found{
            path, std::move(read.batch), {}, read.problem == journal::ReadProblem::Damaged, {}};
        if (!found.damaged && read.soundBytes < bytes.value().size())
            found.tornAt = read.soundBytes;
        found.steps = stepsOf(found.batch, fs, files);
        if (!found.steps.empty())
            return found;
        if (found.batch.ended && !found.damaged)
            (void)files.remove(path);
    }
    return std::nullopt;
}

namespace {

// One change taken back; false, with the reason in `failure`, when it stays.
bool undoOne(FileSystem& fs, JournalFiles& files, const Change& change, UndoFailure& failure) {
    failure = {lastName(change.target), 0, {}};
    if (change.kind == ChangeKind::Rename) {
        failure.error = fs.renameNoReplace(change.target, change.source).code();
        // Already back under its old name, by hand: nothing is left to take back.
        if (failure.error == ENOENT && !fs.exists(change.target) && fs.exists(change.source))
            return true;
        if (failure.error == EEXIST)
            failure.reason = lastName(change.source) + " existe déjà";
        return failure.error == 0;
    }
    Result<FileIdentity> now = files.identify(change.target);
    // Gone already: what the batch added is no longer there.
    if (!now && now.code() == ENOENT)
        return true;
    if (!now) {
        failure.error = now.code();
        return false;
    }
    if (!sameFile(now.value(), change.made)) {
        failure.reason = "modifié depuis le lot, laissé en place";
        return false;
    }
    failure.error = fs.removeFile(change.target).code();
    return failure.error == 0;
}

} // namespace

UndoResult undo(Journal& journal, FileSystem& fs, UndoableBatch& batch) {
    JournalFiles& files = journal.files();
    UndoResult result;
    std::vector<std::uint32_t> undone;
    for (const std::uint32_t index : batch.steps) {
        const Change& change = batch.batch.changes[index];
        UndoFailure failure;
        if (!undoOne(fs, files, change, failure)) {
            result.failures.push_back(std::move(failure));
            continue;
        }
        ++result.restored;
        undone.push_back(index);
        if (batch.batch.info.kind == BatchKind::FolderRename)
            result.folders.emplace_back(change.target, change.source);
    }
    if (result.failures.empty()) {
        if (Result<void> removed = files.remove(batch.file); !removed)
            result.journalError = removed.error();
        return result;
    }
    std::string out;
    journal::addUndone(out, undone);
    Result<std::unique_ptr<AppendFile>> file = files.openAppend(batch.file);
    Result<void> written = file ? Result<void>() : Result<void>(file.error());
    if (written && batch.tornAt)
        written = file.value()->cutTo(*batch.tornAt);
    if (written)
        written = file.value()->append(out);
    if (written)
        written = file.value()->sync();
    if (!written)
        result.journalError = written.error();
    return result;
}

} // namespace quorvel
