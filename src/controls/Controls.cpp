#include "controls/Controls.h"

#include "platform/FileSystem.h"
#include "text/Paths.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <unordered_set>

namespace quorvel {

Control::Control(ControlKind kind, std::string name, Control* container, Geometry geometry)
    : kind_(kind), name_(std::move(name)), container_(container), geometry_(geometry) {
    if (container_ != nullptr)
        container_->children_.push_back(this);
}

void Control::setGeometry(const Geometry& geometry) {
    geometry_ = geometry;
    changed();
}

void Control::setLeft(int left) {
    geometry_.left = left;
    changed();
}

void Control::setWidth(int width) {
    geometry_.width = width;
    changed();
}

void Control::setCaption(const std::string& caption) {
    caption_ = caption;
    changed();
}

void Control::setTooltip(const std::string& tooltip) {
    tooltip_ = tooltip;
    changed();
}

void Control::setBackColor(Rgb colour) {
    backColor_ = colour;
    changed();
}

void Control::setForeColor(Rgb colour) {
    foreColor_ = colour;
    changed();
}

void Control::setTag(const std::string& tag) {
    tag_ = tag;
    changed();
}

void Control::setVisible(bool visible) {
    visible_ = visible;
    changed();
}

void Control::setInert(bool inert) {
    inert_ = inert;
    changed();
}

void Control::click() {
    if (onClick && !inert_)
        onClick();
}

int Control::subscribe(Observer observer) {
    const int id = nextObserver_++;
    observers_[id] = std::move(observer);
    return id;
}

void Control::unsubscribe(int id) {
    observers_.erase(id);
}

void Control::changed(Change change) {
    // A view may unsubscribe while being told; walk a copy of the ids.
    std::vector<int> ids;
    ids.reserve(observers_.size());
    for (const auto& entry : observers_)
        ids.push_back(entry.first);
    for (const int id : ids) {
        const auto it = observers_.find(id);
        if (it != observers_.end())
            it->second(change);
    }
}

void TextBox::setText(const std::string& text) {
    if (text == text_)
        return;
    text_ = text;
    if (onChange)
        onChange();
    changed();
}

void ComboBox::setText(const std::string& text) {
    text_ = text;
    changed();
}

void ComboBox::addItem(const std::string& entry) {
    entries_.push_back(entry);
    changed();
}

bool ComboBox::pick(const std::string& entry) {
    if (std::find(entries_.begin(), entries_.end(), entry) == entries_.end())
        return false;
    text_ = entry;
    if (onClick)
        onClick();
    changed();
    return true;
}

void OptionButton::select() {
    if (container() != nullptr) {
        for (Control* sibling : container()->children()) {
            if (sibling != this && sibling->kind() == ControlKind::OptionButton) {
                auto* option = static_cast<OptionButton*>(sibling);
                if (option->value_) {
                    option->value_ = false;
                    option->changed();
                }
            }
        }
    }
    value_ = true;
    if (onClick)
        onClick();
    changed();
}

void CheckBox::setValue(bool value) {
    value_ = value;
    changed();
}

void CheckBox::click() {
    if (inert())
        return;
    value_ = !value_;
    if (onClick)
        onClick();
    changed();
}

void Image::setPicture(const std::string& path, std::shared_ptr<const Picture> decoded) {
    picture_ = path;
    decoded_ = std::move(decoded);
    changed();
}

void MenuItem::setEnabled(bool enabled) {
    enabled_ = enabled;
    changed();
}

void Control::setAccessibleName(const std::string& name) {
    accessibleName_ = name;
    changed();
}

void MenuItem::setCheckable(bool checkable) {
    checkable_ = checkable;
    changed();
}

void MenuItem::setChecked(bool checked) {
    checked_ = checked;
    changed();
}

void MenuItem::click() {
    if (!enabled_ || inert())
        return;
    if (checkable_)
        checked_ = !checked_;
    if (onClick)
        onClick();
    changed();
}

std::optional<std::string> Drives::driveOf(const std::string& path) {
    if (path.empty() || path.front() != '/')
        return std::nullopt;
    std::optional<std::string> best;
    for (const Volume& volume : fs_.volumes()) {
        const std::string& root = volume.root;
        const bool prefix = root == "/" || path == root ||
                            (path.size() > root.size() && path.compare(0, root.size(), root) == 0 &&
                             path[root.size()] == '/');
        if (prefix && (!best || root.size() > best->size()))
            best = root;
    }
    return best;
}

std::vector<std::string> Drives::roots() {
    std::vector<std::string> roots;
    for (const Volume& volume : fs_.volumes())
        roots.push_back(volume.root);
    return roots;
}

std::string Drives::currentFolder(const std::string& root) {
    const auto it = current_.find(root);
    if (it != current_.end())
        return it->second;
    std::string cwd = fs_.workingFolder();
    if (!cwd.empty() && driveOf(cwd) == root)
        return cwd;
    return root;
}

void Drives::opened(const std::string& folder) {
    if (const auto root = driveOf(folder))
        current_[*root] = folder;
}

bool DriveList::setDrive(const std::string& text) {
    const auto root = drives_.driveOf(text);
    if (!root)
        return false;
    if (*root == drive_)
        return true;
    drive_ = *root;
    if (onChange)
        onChange();
    changed();
    return true;
}

namespace {

std::string normalFolder(const std::string& path) {
    std::string normal = std::filesystem::path(path).lexically_normal().string();
    while (normal.size() > 1 && normal.back() == '/')
        normal.pop_back();
    return normal;
}

} // namespace

int FolderList::setPath(const std::string& requested) {
    if (requested.empty() || requested.front() != '/')
        return EINVAL;
    const std::string path = normalFolder(requested);
    FileSystem& fs = drives_.fs();
    if (!fs.isFolder(path))
        return fs.exists(path) ? ENOTDIR : ENOENT;
    const bool moved = path != path_;
    // A folder list is short: its rows are all replaced.
    changed(Change::RowsAboutToBeReset);
    path_ = path;
    drives_.opened(path_);
    read();
    highlighted_ = -1;
    changed(Change::RowsReset);
    if (moved && onChange)
        onChange();
    changed(Change::Selection);
    return 0;
}

int FolderList::openDrive(const std::string& root) {
    return setPath(drives_.currentFolder(root));
}

void FolderList::refresh() {
    changed(Change::RowsAboutToBeReset);
    read();
    if (highlighted_ >= subfolderCount() || highlighted_ < -ancestorCount())
        highlighted_ = -1;
    changed(Change::RowsReset);
    changed(Change::Selection);
}

void FolderList::read() {
    root_ = drives_.driveOf(path_).value_or("/");
    ancestors_.clear();
    std::string folder = path_;
    while (true) {
        ancestors_.push_back(folder);
        if (folder == root_ || folder == "/" || folder.empty())
            break;
        folder = parentFolder(folder);
    }
    subfolders_ = *drives_.fs().listFolders(path_).names;
}

void FolderList::highlight(int index) {
    if (!entry(index))
        return;
    highlighted_ = index;
    changed(Change::Selection);
}

std::optional<std::string> FolderList::entry(int index) const {
    if (index < 0) {
        const auto up = static_cast<std::size_t>(-index - 1);
        if (up >= ancestors_.size())
            return std::nullopt;
        return ancestors_[up];
    }
    if (index >= subfolderCount())
        return std::nullopt;
    return joinPath(path_, subfolders_[static_cast<std::size_t>(index)]);
}

void FileList::setPath(const std::string& path) {
    path_ = path;
    refresh();
}

void FileList::setPattern(const std::string& pattern) {
    pattern_ = pattern;
    refresh();
}

void FileList::refresh() {
    Listing listing = fs_.listFiles(path_, pattern_);
    readError_ = listing.error;
    current_ = -1;
    ++generation_;
    replaceRows(std::move(listing.names));
    selected_.assign(rows_.size(), 0);
    selectedCount_ = 0;
    changed(Change::Selection);
}

void FileList::reread() {
    Listing listing = fs_.listFiles(path_, pattern_);
    if (listing.error == readError_ && listing.names == rows_)
        return;
    std::unordered_set<std::string> chosen;
    for (const int row : selectedRows())
        chosen.insert(rows_[static_cast<std::size_t>(row)]);
    const std::string currentName = current_ >= 0 ? rows_[static_cast<std::size_t>(current_)] : "";
    const bool hadCurrent = current_ >= 0;
    readError_ = listing.error;
    ++generation_;
    replaceRows(std::move(listing.names));
    selected_.assign(rows_.size(), 0);
    selectedCount_ = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (chosen.count(rows_[i]) != 0) {
            selected_[i] = 1;
            ++selectedCount_;
        }
    }
    current_ = hadCurrent ? indexOf(currentName) : -1;
    changed(Change::Selection);
}

// In steps that a view follows one by one: the rows shared at the start and at the end
// stay, those between are changed in place, then the surplus is inserted or removed. With
// nothing shared, every row is replaced. The selection is the caller's to clear.
void FileList::replaceRows(SharedNames after) {
    const std::vector<std::string>& old = *rows_;
    const std::vector<std::string>& next = *after;
    const auto oldSize = static_cast<int>(old.size());
    const auto newSize = static_cast<int>(next.size());
    const auto at = [](auto& rows, int index) { return rows.begin() + index; };
    int head = 0;
    while (head < oldSize && head < newSize && old[head] == next[head])
        ++head;
    int tail = 0;
    while (tail < oldSize - head && tail < newSize - head &&
           old[oldSize - 1 - tail] == next[newSize - 1 - tail])
        ++tail;
    const int removed = oldSize - head - tail;
    const int inserted = newSize - head - tail;
    if (head == 0 && tail == 0 && removed != inserted) {
        changed(Change::RowsAboutToBeReset);
        rows_ = std::move(after);
        selected_.assign(rows_.size(), 0);
        changed(Change::RowsReset);
        return;
    }
    if (removed == 0 && inserted == 0) {
        rows_ = std::move(after);
        return;
    }
    std::vector<std::string>& rows = rows_.edit();
    const int kept = std::min(removed, inserted);
    std::copy(at(next, head), at(next, head + kept), at(rows, head));
    if (kept > 0)
        changed(Change(Change::RowsChanged, head, kept));
    const int rest = head + kept;
    if (inserted > kept) {
        changed(Change(Change::RowsAboutToBeInserted, rest, inserted - kept));
        rows.insert(at(rows, rest), at(next, rest), at(next, head + inserted));
        selected_.insert(at(selected_, rest), static_cast<std::size_t>(inserted - kept), 0);
        changed(Change(Change::RowsInserted, rest, inserted - kept));
    }
    if (removed > kept) {
        changed(Change(Change::RowsAboutToBeRemoved, rest, removed - kept));
        rows.erase(at(rows, rest), at(rows, head + removed));
        selected_.erase(at(selected_, rest), at(selected_, head + removed));
        changed(Change(Change::RowsRemoved, rest, removed - kept));
    }
    // The rows are now the names read: hold those, shared with the other pane and the
    // listing, rather than the copy the steps were made on.
    rows_ = std::move(after);
}

void FileList::setSelected(int index, bool selected) {
    if (index < 0 || index >= count())
        return;
    char& flag = selected_[static_cast<std::size_t>(index)];
    if ((flag != 0) == selected)
        return;
    flag = selected ? 1 : 0;
    selectedCount_ += selected ? 1 : -1;
    changed(Change::Selection);
}

std::vector<int> FileList::selectedRows() const {
    std::vector<int> rows;
    for (int i = 0; i < count(); ++i) {
        if (selected_[static_cast<std::size_t>(i)] != 0)
            rows.push_back(i);
    }
    return rows;
}

void FileList::setCurrent(int index) {
    current_ = (index >= 0 && index < count()) ? index : -1;
    changed(Change::Selection);
}

void FileList::toggle(int index) {
    if (index < 0 || index >= count())
        return;
    current_ = index;
    setSelected(index, !selected(index));
    if (onClick)
        onClick();
    changed(Change::Selection);
}

void FileList::selectOnly(int index) {
    selectRange(index, index, false);
}

void FileList::selectRange(int anchor, int index, bool adding) {
    if (index < 0 || index >= count())
        return;
    if (anchor < 0 || anchor >= count())
        anchor = index;
    if (!adding)
        std::fill(selected_.begin(), selected_.end(), 0);
    for (int row = std::min(anchor, index); row <= std::max(anchor, index); ++row)
        selected_[static_cast<std::size_t>(row)] = 1;
    selectedCount_ = static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
    current_ = index;
    changed(Change::Selection);
    if (onClick)
        onClick();
}

void FileList::selectAll() {
    if (count() == 0)
        return;
    std::fill(selected_.begin(), selected_.end(), 1);
    selectedCount_ = count();
    changed(Change::Selection);
    if (onClick)
        onClick();
}

int FileList::indexOf(const std::string& name) const {
    const auto it = std::find(rows_.begin(), rows_.end(), name);
    return it == rows_.end() ? -1 : static_cast<int>(it - rows_.begin());
}

void Table::setRows(PackedTexts cells, std::vector<char> marked) {
    if (marked.size() == marked_.size()) {
        cells_ = std::move(cells);
        marked_ = std::move(marked);
        if (!marked_.empty())
            changed(Change(Change::RowsChanged, 0, count()));
        return;
    }
    changed(Change::RowsAboutToBeReset);
    cells_ = std::move(cells);
    marked_ = std::move(marked);
    changed(Change::RowsReset);
}

Form::Form(std::string name, int clientWidth, int clientHeight)
    : Control(ControlKind::Form, std::move(name), nullptr,
              Geometry{0, 0, clientWidth, clientHeight}) {}

Control* Form::find(const std::string& name) const {
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : it->second;
}

} // namespace quorvel
