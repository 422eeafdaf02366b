#pragma once

#include "platform/Pictures.h"
#include "platform/SharedNames.h"
#include "text/PackedTexts.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class FileSystem;

enum class ControlKind {
    Form,
    Frame,
    Label,
    TextBox,
    ComboBox,
    OptionButton,
    CheckBox,
    CommandButton,
    PictureButton,
    Image,
    DriveList,
    FolderList,
    FileList,
    Menu,
    MenuItem,
    Table
};

// Geometry in twips, relative to the container's client area.
struct Geometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What changed, so that a view redraws only that. A list tells which of its rows changed
// (`count` rows from `first`), and announces an insertion, a removal or the replacement of
// every row before it makes it, then tells that it is made: between the two a view still
// sees the rows as they were, as Qt's models require.
struct Change {
    enum Kind {
        All,
        Selection,
        RowsChanged,
        RowsAboutToBeInserted,
        RowsInserted,
        RowsAboutToBeRemoved,
        RowsRemoved,
        RowsAboutToBeReset,
        RowsReset
    };
    // Not explicit: a bare kind is a change of that kind.
    Change(Kind kind = All, int first = 0, int count = 0)
        : kind(kind), first(first), count(count) {}
    bool operator==(Kind other) const { return kind == other; }
    // An announcement: the rows are about to change and still read as they were.
    bool ahead() const {
        return kind == RowsAboutToBeInserted || kind == RowsAboutToBeRemoved ||
               kind == RowsAboutToBeReset;
    }
    Kind kind;
    int first;
    int count;
};

using Rgb = std::uint32_t; // 0xRRGGBB

// A control of a window: plain data owned by its form. Setting a value from code runs the
// control's reaction inside the setter, then tells the views.
class Control {
public:
    using Observer = std::function<void(Change)>;

    Control(ControlKind kind, std::string name, Control* container, Geometry geometry);
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    ControlKind kind() const { return kind_; }
    const std::string& name() const { return name_; }
    Control* container() const { return container_; }
    const std::vector<Control*>& children() const { return children_; }

    const Geometry& geometry() const { return geometry_; }
    void setGeometry(const Geometry& geometry);
    void setLeft(int left);
    void setWidth(int width);

    const std::string& caption() const { return caption_; }
    void setCaption(const std::string& caption);
    const std::string& tooltip() const { return tooltip_; }
    void setTooltip(const std::string& tooltip);
    // What assistive technology calls the control, where its caption, label or tooltip
    // would not say it; empty for those.
    const std::string& accessibleName() const { return accessibleName_; }
    void setAccessibleName(const std::string& name);
    std::optional<Rgb> backColor() const { return backColor_; }
    void setBackColor(Rgb colour);
    std::optional<Rgb> foreColor() const { return foreColor_; }
    void setForeColor(Rgb colour);
    bool visible() const { return visible_; }
    void setVisible(bool visible);
    const std::string& tag() const { return tag_; }
    void setTag(const std::string& tag);
    // Greyed and deaf to the user, while a batch runs that its change would alter.
    bool inert() const { return inert_; }
    void setInert(bool inert);

    // The user's click (buttons, labels, images, option buttons, check boxes).
    virtual void click();
    std::function<void()> onClick;

    int subscribe(Observer observer);
    void unsubscribe(int id);

protected:
    void changed(Change change = Change::All);

private:
    ControlKind kind_;
    std::string name_;
    Control* container_;
    std::vector<Control*> children_;
    Geometry geometry_;
    std::string caption_;
    std::string tooltip_;
    std::string accessibleName_;
    std::optional<Rgb> backColor_;
    std::optional<Rgb> foreColor_;
    bool visible_ = true;
    bool inert_ = false;
    std::string tag_;
    std::map<int, Observer> observers_;
    int nextObserver_ = 1;
};

class Frame : public Control {
public:
    Frame(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::Frame, std::move(name), container, geometry) {}
};

class Label : public Control {
public:
    Label(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::Label, std::move(name), container, geometry) {}
};

class CommandButton : public Control {
public:
    CommandButton(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::CommandButton, std::move(name), container, geometry) {}
    // Escape in its window presses it while it shows.
    bool cancel = false;
};

// A small clickable image with a tooltip; `icon` names the picture the view draws.
class PictureButton : public Control {
public:
    PictureButton(std::string name, Control* container, Geometry geometry, std::string icon)
        : Control(ControlKind::PictureButton, std::move(name), container, geometry),
          icon_(std::move(icon)) {}
    const std::string& icon() const { return icon_; }

private:
    std::string icon_;
};

// Reacts (onChange) only when its text really changes.
class TextBox : public Control {
public:
    TextBox(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::TextBox, std::move(name), container, geometry) {}
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    // Written by the program only; the view shows it read-only.
    bool readOnly = false;
    std::function<void()> onChange;

private:
    std::string text_;
};

// Setting the text runs nothing; a pick from the list runs onClick.
class ComboBox : public Control {
public:
    ComboBox(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::ComboBox, std::move(name), container, geometry) {}
    const std::string& text() const { return text_; }
    void setText(const std::string& text);
    const std::vector<std::string>& entries() const { return entries_; }
    void addItem(const std::string& entry);
    // The user picks an entry of the list: false when it is not an entry.
    bool pick(const std::string& entry);

private:
    std::string text_;
    std::vector<std::string> entries_;
};

// Exclusive within its direct container; onClick runs each time it is selected.
class OptionButton : public Control {
public:
    OptionButton(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::OptionButton, std::move(name), container, geometry) {}
    bool value() const { return value_; }
    void select();
    void click() override {
        if (!inert())
            select();
    }

private:
    friend class Control;
    bool value_ = false;
};

class CheckBox : public Control {
public:
    CheckBox(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::CheckBox, std::move(name), container, geometry) {}
    bool value() const { return value_; }
    void setValue(bool value);
    void click() override;

private:
    bool value_ = false;
};

// Stretches its picture to its own size; the picture is a file path, empty for none.
class Image : public Control {
public:
    Image(std::string name, Control* container, Geometry geometry)
        : Control(ControlKind::Image, std::move(name), container, geometry) {}
    const std::string& picture() const { return picture_; }
    // The picture at `path`, with its decoding for this image's frame when the caller has
    // one; without it the view decodes the file itself.
    void setPicture(const std::string& path, std::shared_ptr<const Picture> decoded = {});
    const std::shared_ptr<const Picture>& decoded() const { return decoded_; }

private:
    std::string picture_;
    std::shared_ptr<const Picture> decoded_;
};

// A menu of its form's menu bar: a caption with its access key after "&", and its items
// as children, in order. The view shows a menu only while it holds an item.
class Menu : public Control {
public:
    Menu(std::string name, Control* form, std::string caption)
        : Control(ControlKind::Menu, std::move(name), form, Geometry{}) {
        setCaption(caption);
    }
};

// An item of a menu. A greyed item ignores a click; a checkable one turns its tick over,
// then runs onClick. The shortcut is written as "Ctrl+Q" or "F1", empty for none.
class MenuItem : public Control {
public:
    MenuItem(std::string name, Control* menu, std::string caption, std::string shortcut = {})
        : Control(ControlKind::MenuItem, std::move(name), menu, Geometry{}),
          shortcut_(std::move(shortcut)) {
        setCaption(caption);
    }
    const std::string& shortcut() const { return shortcut_; }
    bool enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    bool checkable() const { return checkable_; }
    void setCheckable(bool checkable);
    bool checked() const { return checked_; }
    // From code: the tick only, no reaction.
    void setChecked(bool checked);
    void click() override;

private:
    std::string shortcut_;
    bool enabled_ = true;
    bool checkable_ = false;
    bool checked_ = false;
};

// Rows of texts under column titles; a marked row stands out. The rows are replaced as a
// whole: a view keeps its place when their number stays the same.
class Table : public Control {
public:
    Table(std::string name, Control* container, Geometry geometry, std::vector<std::string> columns)
        : Control(ControlKind::Table, std::move(name), container, geometry),
          columns_(std::move(columns)) {}
    const std::vector<std::string>& columns() const { return columns_; }
    int count() const { return static_cast<int>(marked_.size()); }
    std::string_view cell(int row, int column) const {
        return cells_.at(static_cast<std::size_t>(row) * columns_.size() +
                         static_cast<std::size_t>(column));
    }
    bool marked(int row) const { return marked_.at(static_cast<std::size_t>(row)) != 0; }
    // The cells row after row, a row's worth per flag of `marked`.
    void setRows(PackedTexts cells, std::vector<char> marked);

private:
    std::vector<std::string> columns_;
    PackedTexts cells_;
    std::vector<char> marked_;
};

// Remembers each drive's current folder: the folder most recently opened on it by
// either folder list in this run.
class Drives {
public:
    explicit Drives(FileSystem& fs) : fs_(fs) {}
    // The volume root whose path is the longest prefix of `path`, or nothing.
    std::optional<std::string> driveOf(const std::string& path);
    std::vector<std::string> roots();
    std::string currentFolder(const std::string& root);
    void opened(const std::string& folder);
    FileSystem& fs() { return fs_; }

private:
    FileSystem& fs_;
    std::map<std::string, std::string> current_;
};

class DriveList : public Control {
public:
    DriveList(std::string name, Control* container, Geometry geometry, Drives& drives)
        : Control(ControlKind::DriveList, std::move(name), container, geometry), drives_(drives) {}
    // The drive's text: its root path.
    const std::string& drive() const { return drive_; }
    // Takes the drive of `text`; false when no drive holds it. onChange runs on a change.
    bool setDrive(const std::string& text);
    std::vector<std::string> entries() { return drives_.roots(); }
    std::function<void()> onChange;

private:
    Drives& drives_;
    std::string drive_;
};

// Entries: -1 the open folder, -2 its parent and up to the drive's root; 0..n-1 the
// subfolders. onChange runs whenever the path changes.
class FolderList : public Control {
public:
    FolderList(std::string name, Control* container, Geometry geometry, Drives& drives)
        : Control(ControlKind::FolderList, std::move(name), container, geometry), drives_(drives) {}
    const std::string& path() const { return path_; }
    // Opens an existing folder; returns an errno value, 0 when it is open.
    int setPath(const std::string& path);
    // Opens the drive's current folder.
    int openDrive(const std::string& root);
    // Reads the subfolders again.
    void refresh();
    int highlighted() const { return highlighted_; }
    void highlight(int index);
    // The path of entry index, or nothing when there is no such entry.
    std::optional<std::string> entry(int index) const;
    int ancestorCount() const { return static_cast<int>(ancestors_.size()); }
    int subfolderCount() const { return static_cast<int>(subfolders_.size()); }
    const std::vector<std::string>& subfolders() const { return subfolders_; }
    std::string driveRoot() const { return root_; }
    std::function<void()> onChange;

private:
    void read();
    Drives& drives_;
    std::string path_;
    std::string root_;
    std::vector<std::string> ancestors_;  // open folder first, drive root last
    std::vector<std::string> subfolders_; // names
    int highlighted_ = -1;
};

class FileList : public Control {
public:
    FileList(std::string name, Control* container, Geometry geometry, FileSystem& fs)
        : Control(ControlKind::FileList, std::move(name), container, geometry), fs_(fs) {}
    const std::string& path() const { return path_; }
    const std::string& pattern() const { return pattern_; }
    // Each re-reads the list.
    void setPath(const std::string& path);
    void setPattern(const std::string& pattern);
    // Rebuilds the rows from the folder; no row selected, no current row afterwards.
    void refresh();
    // Reads the folder again for a change made behind the list's back: the rows selected
    // and the current row stay so by name; nothing at all happens when no row changed.
    void reread();
    // The user asks for a fresh look at the folder (Ctrl+R on the list).
    std::function<void()> onReread;
    // Bumped by every re-read, so that a walk can tell that its rows were rebuilt.
    std::uint64_t generation() const { return generation_; }

    int count() const { return static_cast<int>(rows_.size()); }
    const std::vector<std::string>& rows() const { return *rows_; }
    const std::string& row(int index) const { return rows_->at(static_cast<std::size_t>(index)); }
    // The rows as they are now, for a reader that keeps them (a run, a preview): shared with
    // the list, and with the other pane when it shows the same names, rather than copied.
    std::shared_ptr<const std::vector<std::string>> sharedRows() const { return rows_.share(); }
    bool selected(int index) const { return selected_.at(static_cast<std::size_t>(index)) != 0; }
    void setSelected(int index, bool selected);
    int selectedCount() const { return selectedCount_; }
    std::vector<int> selectedRows() const;
    int current() const { return current_; }
    void setCurrent(int index);
    // The user's click on a row: toggles its selection, makes it current, runs onClick.
    void toggle(int index);
    // A plain click on a row: that row alone is selected and current; runs onClick.
    void selectOnly(int index);
    // Shift with a click or an arrow: the rows from `anchor` to `index` are selected, alone
    // unless `adding`, and `index` is current; runs onClick.
    void selectRange(int anchor, int index, bool adding);
    // Every row selected; runs onClick.
    void selectAll();
    int indexOf(const std::string& name) const;
    // Rows re-read with a known outcome: the folder could not be read.
    int readError() const { return readError_; }

private:
    void replaceRows(SharedNames after);

    FileSystem& fs_;
    std::string path_;
    std::string pattern_ = "*.jpg";
    SharedNames rows_;
    std::vector<char> selected_;
    int selectedCount_ = 0;
    int current_ = -1;
    int readError_ = 0;
    std::uint64_t generation_ = 0;
};

// A window: its client size in twips and every control in creation order.
class Form : public Control {
public:
    Form(std::string name, int clientWidth, int clientHeight);
    template <typename T, typename... Args> T& add(Args&&... args) {
        auto control = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *control;
        byName_[ref.name()] = &ref;
        controls_.push_back(std::move(control));
        return ref;
    }
    Control* find(const std::string& name) const;
    const std::vector<std::unique_ptr<Control>>& controls() const { return controls_; }
    // Asked by the view when the user closes the window with its close box.
    std::function<void()> onClose;
    // A key pressed in the window that no control took, named as in a shortcut ("Left",
    // "PgDown", "Home"); true when the form used it.
    std::function<bool(const std::string& key)> onKey;

private:
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, Control*> byName_;
};

} // namespace quorvel
