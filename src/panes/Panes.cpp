#include "panes/Panes.h"

#include "controls/Controls.h"
#include "text/NameCheck.h"
#include "text/Utf8.h"

#include <utility>

namespace quorvel {

Panes::Panes(const PaneControls& controls, PaneReactions reactions)
    : ui_(controls), reactions_(std::move(reactions)) {
    ui_.sourceDrives.onChange = [this] { drive1Change(); };
    ui_.targetDrives.onChange = [this] { drive2Change(); };
    ui_.sourceFolders.onChange = [this] { dir1Change(); };
    ui_.targetFolders.onChange = [this] { dir2Change(); };
    ui_.sourceFiles.onClick = [this] { file1Click(); };
    ui_.targetFiles.onClick = [this] { file2Click(); };
    ui_.sourceUp.onClick = [this] { up(true); };
    ui_.targetUp.onClick = [this] { up(false); };
    ui_.sourceType.onClick = [this] { combo1Click(); };
    ui_.targetType.onClick = [this] { combo3Click(); };
    sourceWatch_ = ui_.sourceFiles.subscribe([this](Change change) {
        if (change.kind == Change::Selection)
            followSourceSelection();
    });
    // A type typed with its dot (".HEIC") is the type alone for every reader of the box:
    // the lists' pattern and the new names' type alike.
    for (ComboBox* box : {&ui_.sourceType, &ui_.targetType}) {
        box->subscribe([box](Change) {
            if (const std::string_view type = typedType(box->text()); type != box->text())
                box->setText(std::string(type));
        });
    }
}

Panes::~Panes() {
    ui_.sourceFiles.unsubscribe(sourceWatch_);
}

// Whatever empties the selection (the run's re-read, a refresh after an edit), the counter
// says what the next command will take: the selected rows, or every row when none is.
void Panes::followSourceSelection() {
    const int selected = ui_.sourceFiles.selectedCount();
    const int taken = selected > 0 ? selected : ui_.sourceFiles.count();
    if (taken == countShown_)
        return;
    countShown_ = taken;
    ui_.selectionCount.setText(selectionLine(taken));
}

std::string Panes::fileCountLine(int count, const std::string& type) {
    return "    " + std::to_string(count) + " fichiers de type " + type;
}

std::string Panes::selectionLine(int count) {
    return "   Fichiers sélectionnés = " + std::to_string(count);
}

std::string Panes::proposedName(const std::string& fileName) {
    const std::size_t length = utf8Length(fileName);
    return length > 4 ? utf8Left(fileName, length - 4) : std::string();
}

void Panes::writeSourceStatus() {
    ui_.sourceStatus.setText(fileCountLine(ui_.sourceFiles.count(), ui_.sourceType.text()));
}

void Panes::writeTargetStatus() {
    ui_.targetStatus.setText(fileCountLine(ui_.targetFiles.count(), ui_.targetType.text()));
}

void Panes::proposeGenericName() {
    if (ui_.sourceFiles.count() > 0)
        ui_.genericName.setText(proposedName(ui_.sourceFiles.row(0)));
}

// A drive without a medium fails its step; the next step still runs.
void Panes::drive1Change() {
    ui_.sourceFolders.openDrive(ui_.sourceDrives.drive());
    ui_.targetDrives.setDrive(ui_.sourceDrives.drive());
}

void Panes::drive2Change() {
    ui_.targetFolders.openDrive(ui_.targetDrives.drive());
}

void Panes::dir1Change() {
    ui_.genericName.setText("");
    ui_.sourceFiles.setPath(ui_.sourceFolders.path());
    ui_.targetFolders.setPath(ui_.sourceFolders.path());
    writeSourceStatus();
    ui_.selectionCount.setText(selectionLine(ui_.sourceFiles.count()));
    reactions_.sourceFolderOpened();
    proposeGenericName();
}

void Panes::dir2Change() {
    ui_.targetFiles.setPath(ui_.targetFolders.path());
    writeTargetStatus();
}

void Panes::file1Click() {
    ui_.targetFiles.refresh();
    const int selected = ui_.sourceFiles.selectedCount();
    ui_.selectionCount.setText(selectionLine(selected > 0 ? selected : ui_.sourceFiles.count()));
}

void Panes::file2Click() {
    ui_.sourceFiles.refresh();
    const int selected = ui_.targetFiles.selectedCount();
    ui_.selectionCount.setText(selectionLine(selected > 0 ? selected : ui_.sourceFiles.count()));
}

void Panes::listReread(bool source) {
    if (!source) {
        writeTargetStatus();
        return;
    }
    writeSourceStatus();
    const int selected = ui_.sourceFiles.selectedCount();
    ui_.selectionCount.setText(selectionLine(selected > 0 ? selected : ui_.sourceFiles.count()));
}

// Opens the entry just above the highlighted one; at a drive's root there is none and
// nothing happens.
void Panes::up(bool source) {
    FolderList& folders = source ? ui_.sourceFolders : ui_.targetFolders;
    if (const auto above = folders.entry(folders.highlighted() - 1))
        folders.setPath(*above);
}

void Panes::RefreshSourceList() {
    ui_.sourceFiles.setPattern("*." + ui_.sourceType.text());
    ui_.genericName.setText("");
    proposeGenericName();
    writeSourceStatus();
    ui_.selectionCount.setText(selectionLine(ui_.sourceFiles.count()));
}

void Panes::RefreshTargetList() {
    ui_.targetFiles.setPattern("*." + ui_.targetType.text());
    writeTargetStatus();
}

void Panes::combo1Click() {
    RefreshSourceList();
    ui_.targetType.setText(ui_.sourceType.text());
    RefreshTargetList();
    reactions_.typeChanged();
    ui_.selectionCount.setText(selectionLine(ui_.sourceFiles.count()));
}

void Panes::combo3Click() {
    RefreshTargetList();
    reactions_.typeChanged();
}

} // namespace quorvel
