#include "journal/Undo.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <map>
#include <unordered_map>

namespace quorvel {

namespace {

using journal::Change;
using journal::ChangeState;

std::string lastName(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Stands for a folder that is no longer the one the batch worked in.
constexpr int otherFolder = ESTALE;

// The folders of a batch, opened as the batch knew them: without following a link at the
// end of the path unless the batch itself went through that link, and only while they are
// the very folders it recorded. Every check and change is then made within them by name.
class BatchFolders {
public:
    explicit BatchFolders(FileSystem& fs) : fs_(fs) {}

    Result<Folder*> open(const std::string& path, const FileIdentity& recorded) {
        const auto known = opened_.find(path);
        if (known != opened_.end())
            return known->second ? Result<Folder*>(known->second.get())
                                 : Result<Folder*>(refused_.at(path));
        Result<std::unique_ptr<Folder>> folder = fs_.openFolder(path, false);
        // A link at the end of the path is followed only to the folder the batch recorded
        // (the kernel refuses it as ENOTDIR when it is asked for a folder).
        if (!folder && (folder.code() == ELOOP || folder.code() == ENOTDIR) && recorded.inode != 0)
            folder = fs_.openFolder(path, true);
        if (folder && recorded.inode != 0 && !folder.value()->identity().sameEntry(recorded))
            folder = SystemError{"open", otherFolder};
        if (!folder) {
            refused_.emplace(path, folder.error());
            opened_.emplace(path, nullptr);
            return folder.error();
        }
        return (opened_[path] = std::move(folder.value())).get();
    }

private:
    FileSystem& fs_;
    std::map<std::string, std::unique_ptr<Folder>> opened_;
    std::map<std::string, SystemError> refused_;
};

Result<FileIdentity> identify(FileSystem& fs, BatchFolders& folders, const std::string& path,
                              const FileIdentity& folder) {
    Result<Folder*> opened = folders.open(folderOf(path), folder);
    if (!opened)
        return opened.error();
    return fs.identifyAt(*opened.value(), lastName(path));
}

// Changes announced without an outcome on record: the disk says whether each happened.
// Followed newest first, as undo will go, so that a chain of renames reads right.
class DiskCheck {
public:
    DiskCheck(FileSystem& fs, JournalFiles& files, BatchFolders& folders, std::time_t began)
        : fs_(fs), files_(files), folders_(folders),
          // A volume that keeps its times to two seconds may round the copy's back.
          since_((static_cast<std::int64_t>(began) - 2) * 1'000'000'000) {}

    bool happened(Change& change) {
        if (change.kind == ChangeKind::Rename) {
            if (!exists(change.target, change.targetFolder) ||
                exists(change.source, change.sourceFolder))
                return false;
            present_[change.target] = false;
            present_[change.source] = true;
            return true;
        }
        // A copy is whole or absent under its name; the one the batch made has the source's
        // size and content, and took its name after the batch began.
        Result<FileIdentity> copy = identify(fs_, folders_, change.target, change.targetFolder);
        Result<FileIdentity> source = identify(fs_, folders_, change.source, change.sourceFolder);
        if (!copy || !source || !madeBy(copy.value(), source.value(), change))
            return false;
        change.made = copy.value();
        change.madeWhole = true;
        change.copied = source.value();
        present_[change.target] = false;
        return true;
    }

private:
    bool exists(const std::string& path, const FileIdentity& folder) {
        const auto known = present_.find(path);
        return known != present_.end() ? known->second : identify(fs_, folders_, path, folder).ok();
    }
    // Where the volume keeps times, the copy bears the source's time and changed after the
    // batch began. A volume that keeps no change time of its own (FAT gives the modification
    // time, to two seconds) or no time at all leaves the bytes to tell.
    bool madeBy(const FileIdentity& copy, const FileIdentity& source, const Change& change) {
        if (copy.size != source.size)
            return false;
        if (copy.modifiedNs == source.modifiedNs && copy.changedNs >= since_)
            return true;
        const bool coarseCopyOfSource = copy.changedNs == copy.modifiedNs &&
                                        copy.modifiedNs - source.modifiedNs < 2'000'000'000 &&
                                        source.modifiedNs - copy.modifiedNs < 2'000'000'000;
        return (copy.changedNs >= since_ || coarseCopyOfSource) && sameBytes(change);
    }
    bool sameBytes(const Change& change) {
        Result<std::string> copy = files_.read(change.target);
        Result<std::string> source = files_.read(change.source);
        return copy && source && copy.value() == source.value();
    }

    FileSystem& fs_;
    JournalFiles& files_;
    BatchFolders& folders_;
    std::int64_t since_;
    std::unordered_map<std::string, bool> present_;
};

std::vector<std::uint32_t> stepsOf(journal::Batch& batch, FileSystem& fs, JournalFiles& files) {
    std::vector<std::uint32_t> steps;
    // Outcomes are written in the order the changes were made, so the changes without one
    // are the newest. Once the batch ended, every rename made has its outcome: one without
    // was foreseen and never made, whatever now bears its name.
    BatchFolders folders(fs);
    DiskCheck disk(fs, files, folders, batch.info.began);
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

// Reads one journal under its lock; nothing when it is passed over or gone.
std::optional<UndoableBatch> readBatch(JournalFiles& files, FileSystem& fs, const std::string& path,
                                       PassedOver& passed) {
    Result<std::unique_ptr<AppendFile>> locked = files.openLocked(path);
    if (!locked) {
        if (locked.code() == EWOULDBLOCK)
            ++passed.busy;
        else if (locked.code() != ENOENT)
            passed.unreadable.push_back(path);
        return std::nullopt;
    }
    Result<std::string> bytes = locked.value()->readAll();
    if (!bytes) {
        passed.unreadable.push_back(path);
        return std::nullopt;
    }
    journal::ReadResult read = journal::read(bytes.value());
    if (read.problem == journal::ReadProblem::NotAJournal) {
        passed.unreadable.push_back(path);
        return std::nullopt;
    }
    UndoableBatch found{path, std::move(read.batch),
                        {},   read.problem == journal::ReadProblem::Damaged,
                        {},   nullptr};
    if (read.problem == journal::ReadProblem::None && read.soundBytes < bytes.value().size())
        found.tornAt = read.soundBytes;
    found.steps = stepsOf(found.batch, fs, files);
    if (!found.steps.empty()) {
        found.locked = std::move(locked.value());
        return found;
    }
    if (found.damaged) {
        ++passed.damaged;
        passed.damagedChanges += found.batch.changes.size();
    } else if (found.batch.ended || found.batch.changes.empty()) {
        (void)files.remove(path);
    }
    return std::nullopt;
}

} // namespace

std::optional<UndoableBatch> findUndoable(Journal& journal, FileSystem& fs, PassedOver* passed) {
    PassedOver ignored;
    for (const std::string& path : journal.batchFiles())
        if (auto found = readBatch(journal.files(), fs, path, passed ? *passed : ignored))
            return found;
    return std::nullopt;
}

namespace {

enum class Step { Restored, AlreadyBack, Failed };

Step refusedFolder(const SystemError& error, UndoFailure& failure) {
    if (error.code == otherFolder)
        failure.reason = "le dossier n'est plus celui du lot, laissé en place";
    else
        failure.error = error.code;
    return Step::Failed;
}

Step undoRename(FileSystem& fs, BatchFolders& folders, const Change& change, UndoFailure& failure) {
    Result<Folder*> folder = folders.open(folderOf(change.target), change.targetFolder);
    if (!folder)
        return refusedFolder(folder.error(), failure);
    const std::string name = lastName(change.target);
    const std::string old = lastName(change.source);
    const Result<FileIdentity> now = fs.identifyAt(*folder.value(), name);
    if (!now && now.code() == ENOENT) {
        // Already back under its old name, by hand: nothing is left to take back.
        const Result<FileIdentity> back = fs.identifyAt(*folder.value(), old);
        if (back && (change.made.inode == 0 || back.value().sameEntry(change.made)))
            return Step::AlreadyBack;
    }
    if (!now) {
        failure.error = now.code();
        return Step::Failed;
    }
    if (change.made.inode != 0 && !now.value().sameEntry(change.made)) {
        failure.reason = "ce n'est plus le fichier renommé par le lot, laissé en place";
        return Step::Failed;
    }
    failure.error = fs.renameAt(*folder.value(), name, old).code();
    if (failure.error == EEXIST)
        failure.reason = old + " existe déjà";
    return failure.error == 0 ? Step::Restored : Step::Failed;
}

// The copy is the very file the batch made: older journals kept less of it.
bool isTheCopyMade(const FileIdentity& now, const Change& change) {
    if (change.madeWhole)
        return now.sameFile(change.made);
    return now.sameEntry(change.made) && now.size == change.made.size &&
           now.modifiedNs == change.made.modifiedNs;
}

// The copy may go only while its source holds what was copied.
bool sourceKept(FileSystem& fs, BatchFolders& folders, const Change& change,
                const FileIdentity& copy, UndoFailure& failure) {
    const Result<FileIdentity> source = identify(fs, folders, change.source, change.sourceFolder);
    if (!source && (source.code() == ENOENT || source.code() == otherFolder)) {
        failure.reason = "la source n'existe plus, la copie est gardée";
        return false;
    }
    if (!source) {
        failure.error = source.code();
        return false;
    }
    const bool same = change.copied.inode != 0 ? source.value().sameFile(change.copied)
                                               : source.value().size == copy.size;
    if (!same)
        failure.reason = "la source a changé depuis la copie, la copie est gardée";
    return same;
}

Step undoCopy(FileSystem& fs, BatchFolders& folders, const Change& change, UndoFailure& failure) {
    Result<Folder*> folder = folders.open(folderOf(change.target), change.targetFolder);
    if (!folder)
        return refusedFolder(folder.error(), failure);
    const std::string name = lastName(change.target);
    const Result<FileIdentity> now = fs.identifyAt(*folder.value(), name);
    // Gone already: what the batch added is no longer there.
    if (!now && now.code() == ENOENT)
        return Step::AlreadyBack;
    if (!now) {
        failure.error = now.code();
        return Step::Failed;
    }
    if (!isTheCopyMade(now.value(), change)) {
        failure.reason = "modifié depuis le lot, laissé en place";
        return Step::Failed;
    }
    if (!sourceKept(fs, folders, change, now.value(), failure))
        return Step::Failed;
    failure.error = fs.removeAt(*folder.value(), name).code();
    return failure.error == 0 ? Step::Restored : Step::Failed;
}

// The journal is done with: removed, or, when it cannot be, told that every change was
// tried, so that it is not offered again.
std::optional<SystemError> settle(JournalFiles& files, UndoableBatch& batch) {
    Result<void> removed = files.remove(batch.file);
    if (removed || batch.locked == nullptr)
        return removed ? std::nullopt : std::optional<SystemError>(removed.error());
    std::string out;
    journal::addUndone(out, batch.steps);
    Result<void> written;
    if (batch.tornAt)
        written = batch.locked->cutTo(*batch.tornAt);
    if (written)
        written = batch.locked->append(out);
    if (written)
        written = batch.locked->sync();
    return written ? std::nullopt : std::optional<SystemError>(written.error());
}

} // namespace

UndoResult undo(Journal& journal, FileSystem& fs, UndoableBatch& batch) {
    UndoResult result;
    BatchFolders folders(fs);
    for (const std::uint32_t index : batch.steps) {
        const Change& change = batch.batch.changes[index];
        UndoFailure failure{lastName(change.target), 0, {}};
        const Step step = change.kind == ChangeKind::Rename
                              ? undoRename(fs, folders, change, failure)
                              : undoCopy(fs, folders, change, failure);
        if (step == Step::Failed) {
            result.failures.push_back(std::move(failure));
            continue;
        }
        if (step == Step::Restored)
            ++result.restored;
        if (batch.batch.info.kind == BatchKind::FolderRename)
            result.folders.emplace_back(change.target, change.source);
    }
    result.journalError = settle(journal.files(), batch);
    batch.locked.reset();
    return result;
}

} // namespace quorvel
