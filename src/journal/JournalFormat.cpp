#include "journal/JournalFormat.h"

#include <array>
#include <cstring>
#include <optional>

namespace quorvel::journal {

namespace {

constexpr std::string_view fileMark = "QRVJRNL1";

enum class Record : std::uint8_t { Header = 1, Group, Marks, End, Undone };

std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) != 0 ? 0xEDB88320U ^ (value >> 1) : value >> 1;
        table[i] = value;
    }
    return table;
}

std::uint32_t crc32(std::string_view bytes) {
    static const std::array<std::uint32_t, 256> table = makeCrcTable();
    std::uint32_t crc = 0xFFFFFFFFU;
    for (const char byte : bytes)
        crc = table[(crc ^ static_cast<unsigned char>(byte)) & 0xFFU] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFU;
}

void putNumber(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFFU));
}

void putText(std::string& out, std::string_view text) {
    putNumber(out, text.size(), 4);
    out.append(text);
}

// Opens a record in `out`; close() writes its length and checksum.
class RecordWriter {
public:
    RecordWriter(std::string& out, Record type) : out_(out), start_(out.size()) {
        putNumber(out_, 0, 4);
        out_.push_back(static_cast<char>(type));
    }
    void close() {
        const std::size_t length = out_.size() - start_ - 4;
        for (int i = 0; i < 4; ++i)
            out_[start_ + i] = static_cast<char>((length >> (8 * i)) & 0xFFU);
        putNumber(out_, crc32(std::string_view(out_).substr(start_ + 4)), 4);
    }

private:
    std::string& out_;
    std::size_t start_;
};

// Reads the fields of one record; any read past its end fails the whole record.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}
    std::optional<std::uint64_t> number(int size) {
        if (bytes_.size() < static_cast<std::size_t>(size))
            return std::nullopt;
        std::uint64_t value = 0;
        for (int i = 0; i < size; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[i])) << (8 * i);
        bytes_.remove_prefix(static_cast<std::size_t>(size));
        return value;
    }
    std::optional<std::string> text() {
        const auto length = number(4);
        if (!length || *length > bytes_.size())
            return std::nullopt;
        std::string value(bytes_.substr(0, *length));
        bytes_.remove_prefix(*length);
        return value;
    }
    bool atEnd() const { return bytes_.empty(); }

private:
    std::string_view bytes_;
};

std::pair<std::string_view, std::string_view> split(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {{}, path};
    return {path.substr(0, slash), path.substr(slash + 1)};
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder + "/" + name;
}

} // namespace

std::pair<std::uint32_t, bool> FolderTable::number(std::string_view folder) {
    // A batch's paths mostly share one or two folders.
    if (last_ != nullptr && last_->first == folder)
        return {last_->second, false};
    const auto [place, added] =
        numbers_.try_emplace(std::string(folder), static_cast<std::uint32_t>(numbers_.size()));
    last_ = &*place;
    return {place->second, added};
}

std::string fileStart(const BatchInfo& info) {
    std::string out(fileMark);
    RecordWriter record(out, Record::Header);
    putNumber(out, static_cast<std::uint8_t>(info.kind), 1);
    putNumber(out, static_cast<std::uint64_t>(static_cast<std::int64_t>(info.began)), 8);
    putText(out, info.sourceFolder);
    putText(out, info.targetFolder);
    record.close();
    return out;
}

void addGroup(std::string& out, std::uint32_t first, std::span<const WorkItem> items,
              FolderTable& folders, const FolderIdentity& identify) {
    RecordWriter record(out, Record::Group);
    putNumber(out, first, 4);
    putNumber(out, items.size(), 4);
    // A folder's number comes with its first use, so the reader learns it in order.
    auto putPath = [&](std::string_view path) {
        const auto [folder, name] = split(path);
        const auto [number, added] = folders.number(folder);
        putNumber(out, number, 4);
        // 2: the folder comes with its device and inode.
        putNumber(out, added ? (identify ? 2 : 1) : 0, 1);
        if (added)
            putText(out, folder);
        if (added && identify) {
            const FileIdentity id = identify(folder);
            putNumber(out, id.device, 8);
            putNumber(out, id.inode, 8);
        }
        putText(out, name);
    };
    for (const WorkItem& item : items) {
        putNumber(out, static_cast<std::uint8_t>(item.kind), 1);
        putPath(item.source);
        putPath(item.target);
    }
    record.close();
}

namespace {

void putIdentity(std::string& out, const FileIdentity& id) {
    putNumber(out, id.device, 8);
    putNumber(out, id.inode, 8);
    putNumber(out, id.size, 8);
    putNumber(out, static_cast<std::uint64_t>(id.modifiedNs), 8);
    putNumber(out, static_cast<std::uint64_t>(id.changedNs), 8);
    putNumber(out, static_cast<std::uint64_t>(id.bornNs), 8);
}

} // namespace

void addMarks(std::string& out, std::span<const Mark> marks) {
    RecordWriter record(out, Record::Marks);
    putNumber(out, marks.size(), 4);
    for (const Mark& mark : marks) {
        putNumber(out, mark.index, 4);
        putNumber(out, mark.done ? 1 : 0, 1);
        // 2: the whole identity, and the copy's source when known; 3: device and inode.
        putNumber(out, mark.made == nullptr ? 0 : mark.entryOnly ? 3 : 2, 1);
        if (mark.made != nullptr && mark.entryOnly) {
            putNumber(out, mark.made->device, 8);
            putNumber(out, mark.made->inode, 8);
        } else if (mark.made != nullptr) {
            putIdentity(out, *mark.made);
            putNumber(out, mark.copied != nullptr ? 1 : 0, 1);
            if (mark.copied != nullptr)
                putIdentity(out, *mark.copied);
        }
    }
    record.close();
}

void addEnd(std::string& out) {
    RecordWriter(out, Record::End).close();
}

void addUndone(std::string& out, std::span<const std::uint32_t> indexes) {
    RecordWriter record(out, Record::Undone);
    putNumber(out, indexes.size(), 4);
    for (const std::uint32_t index : indexes)
        putNumber(out, index, 4);
    record.close();
}

namespace {

bool readHeader(FieldReader& in, Batch& batch) {
    const auto kind = in.number(1);
    const auto began = in.number(8);
    auto source = in.text();
    auto target = in.text();
    if (!kind || *kind > static_cast<std::uint8_t>(BatchKind::FolderRename) || !began || !source ||
        !target)
        return false;
    batch.info = {static_cast<BatchKind>(*kind), std::move(*source), std::move(*target),
                  static_cast<std::time_t>(static_cast<std::int64_t>(*began))};
    return true;
}

struct KnownFolder {
    std::string path;
    FileIdentity identity;
};

// The path, and the number of the folder it lies in.
std::optional<std::pair<std::string, std::size_t>> readPath(FieldReader& in,
                                                            std::vector<KnownFolder>& folders) {
    const auto number = in.number(4);
    const auto added = in.number(1);
    if (!number || !added || *added > 2)
        return std::nullopt;
    if (*added != 0) {
        auto folder = in.text();
        if (!folder || *number != folders.size())
            return std::nullopt;
        KnownFolder known{std::move(*folder), {}};
        if (*added == 2) {
            const auto device = in.number(8);
            const auto inode = in.number(8);
            if (!device || !inode)
                return std::nullopt;
            known.identity.device = *device;
            known.identity.inode = *inode;
        }
        folders.push_back(std::move(known));
    }
    auto name = in.text();
    if (!name || *number >= folders.size())
        return std::nullopt;
    return std::pair{joined(folders[*number].path, *name), static_cast<std::size_t>(*number)};
}

bool readGroup(FieldReader& in, Batch& batch, std::vector<KnownFolder>& folders) {
    const auto first = in.number(4);
    const auto count = in.number(4);
    if (!first || !count || *first != batch.changes.size())
        return false;
    // A new announcement replaces what the earlier ones foresaw and was not made. Only the
    // last group can hold such changes: a run with many surprises announces many groups.
    for (std::size_t i = batch.lastGroup; i < batch.changes.size(); ++i)
        if (batch.changes[i].state == ChangeState::Pending)
            batch.changes[i].state = ChangeState::Void;
    batch.lastGroup = batch.changes.size();
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto kind = in.number(1);
        auto source = readPath(in, folders);
        auto target = readPath(in, folders);
        if (!kind || *kind > 1 || !source || !target)
            return false;
        Change change;
        change.kind = static_cast<ChangeKind>(*kind);
        change.source = std::move(source->first);
        change.target = std::move(target->first);
        change.sourceFolder = folders[source->second].identity;
        change.targetFolder = folders[target->second].identity;
        batch.changes.push_back(std::move(change));
    }
    return true;
}

// 1: device, inode, size and modification time of a copy (older journals); 2: the whole
// identity, then the copy's source when known.
std::optional<FileIdentity> readIdentity(FieldReader& in, bool whole) {
    FileIdentity id;
    const auto device = in.number(8);
    const auto inode = in.number(8);
    const auto size = in.number(8);
    const auto modified = in.number(8);
    if (!device || !inode || !size || !modified)
        return std::nullopt;
    id = {*device, *inode, *size, static_cast<std::int64_t>(*modified), 0, 0};
    if (!whole)
        return id;
    const auto changed = in.number(8);
    const auto born = in.number(8);
    if (!changed || !born)
        return std::nullopt;
    id.changedNs = static_cast<std::int64_t>(*changed);
    id.bornNs = static_cast<std::int64_t>(*born);
    return id;
}

bool readIdentity(FieldReader& in, Change& change, std::uint64_t kind) {
    if (kind == 3) {
        const auto device = in.number(8);
        const auto inode = in.number(8);
        if (!device || !inode)
            return false;
        change.made.device = *device;
        change.made.inode = *inode;
        return true;
    }
    const auto made = readIdentity(in, kind == 2);
    if (!made)
        return false;
    change.made = *made;
    change.madeWhole = kind == 2;
    if (kind == 1)
        return true;
    const auto hasSource = in.number(1);
    if (!hasSource || *hasSource > 1)
        return false;
    if (*hasSource == 0)
        return true;
    const auto copied = readIdentity(in, true);
    if (copied)
        change.copied = *copied;
    return copied.has_value();
}

bool readMarks(FieldReader& in, Batch& batch) {
    const auto count = in.number(4);
    if (!count)
        return false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto index = in.number(4);
        const auto done = in.number(1);
        const auto hasIdentity = in.number(1);
        if (!index || !done || !hasIdentity || *index >= batch.changes.size())
            return false;
        Change& change = batch.changes[*index];
        if (*hasIdentity > 3 || (*hasIdentity != 0 && !readIdentity(in, change, *hasIdentity)))
            return false;
        change.state = *done != 0 ? ChangeState::Done : ChangeState::NotDone;
        if (*done != 0)
            batch.doneOrder.push_back(*index);
    }
    return true;
}

bool readUndone(FieldReader& in, Batch& batch) {
    const auto count = in.number(4);
    if (!count)
        return false;
    for (std::uint64_t i = 0; i < *count; ++i) {
        const auto index = in.number(4);
        if (!index || *index >= batch.changes.size())
            return false;
        batch.changes[*index].state = ChangeState::Undone;
    }
    return true;
}

bool readRecord(Record type, FieldReader& in, Batch& batch, std::vector<KnownFolder>& folders) {
    switch (type) {
    case Record::Group:
        return readGroup(in, batch, folders);
    case Record::Marks:
        return readMarks(in, batch);
    case Record::End:
        batch.ended = true;
        return true;
    case Record::Undone:
        return readUndone(in, batch);
    case Record::Header:
        break;
    }
    return false;
}

} // namespace

ReadResult read(std::string_view bytes) {
    ReadResult result;
    if (bytes.size() < fileMark.size() && fileMark.starts_with(bytes)) {
        result.problem = ReadProblem::Empty;
        return result;
    }
    if (bytes.substr(0, fileMark.size()) != fileMark) {
        result.problem = ReadProblem::NotAJournal;
        return result;
    }
    bytes.remove_prefix(fileMark.size());
    result.soundBytes = fileMark.size();
    std::vector<KnownFolder> folders;
    bool first = true;
    while (!bytes.empty()) {
        FieldReader frame(bytes);
        const auto length = frame.number(4);
        // A record cut short by the end of the file is the write a crash interrupted.
        // So is a file cut before its header: its changes had not begun either.
        if (!length || *length == 0 || *length + 8 > bytes.size()) {
            if (length && *length == 0)
                result.problem = first ? ReadProblem::NotAJournal : ReadProblem::Damaged;
            else if (first)
                result.problem = ReadProblem::Empty;
            return result;
        }
        const std::string_view body = bytes.substr(4, *length);
        FieldReader check(bytes.substr(4 + *length, 4));
        const bool last = *length + 8 == bytes.size();
        const bool sound = check.number(4) == crc32(body);
        const auto type = static_cast<Record>(static_cast<unsigned char>(body[0]));
        FieldReader in(body.substr(1));
        const bool understood =
            sound &&
            (first ? type == Record::Header && readHeader(in, result.batch)
                   : type != Record::Header && readRecord(type, in, result.batch, folders));
        if (!understood || !in.atEnd()) {
            if (first)
                result.problem = ReadProblem::NotAJournal;
            else if (sound || !last)
                result.problem = ReadProblem::Damaged;
            return result;
        }
        first = false;
        bytes.remove_prefix(*length + 8);
        result.soundBytes += *length + 8;
    }
    if (first)
        result.problem = ReadProblem::Empty;
    return result;
}

} // namespace quorvel::journal
