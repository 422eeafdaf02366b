#include "panes/Panes.h"

#include "controls/Controls.h"
#include "text/NameCheck.h"
#include "text/Utf8.h"

#include <utility>

namespace quorvel {

Panes::Panes(const PaneControls& controls, PaneReactions reactions)
    : ui_(controls), reactions_(std::move(reactions)) {
    ui_.Drive1.onChange = [this] { drive1Change(); };
    ui_.Drive2.onChange = [this] { drive2Change(); };
    ui_.Dir1.onChange = [this] { dir1Change(); };
    ui_.Dir2.onChange = [this] { dir2Change(); };
    ui_.File1.onClick = [this] { file1Click(); };
    ui_.File2.onClick = [this] { file2Click(); };
    ui_.sourceUp.onClick = [this] { up(true); };
    ui_.targetUp.onClick = [this] { up(false); };
    ui_.Combo1.onClick = [this] { combo1Click(); };
    ui_.Combo3.onClick = [this] { combo3Click(); };
    sourceWatch_ = ui_.File1.subscribe([this](Change change) {
        if (change.kind == Change::Selection)
            followSourceSelection();
    });
    // A type typed with its dot (".HEIC") is the type alone for every reader of the box:
    // the lists' pattern and the new names' type alike.
    for (ComboBox* box : {&ui_.Combo1, &ui_.Combo3}) {
        box->subscribe([box](Change) {
            if (const std::string_view type = typedType(box->text()); type != box->text())
                box->setText(std::string(type));
        });
    }
}

Panes::~Panes() {
    ui_.File1.unsubscribe(sourceWatch_);
}

// Whatever empties the selection (the run's re-read, a refresh after an edit), the counter
// says what the next command will take: the selected rows, or every row when none is.
void Panes::followSourceSelection() {
    const int selected = ui_.File1.selectedCount();
    const int taken = selected > 0 ? selected : ui_.File1.count();
    if (taken == countShown_)
        return;
    countShown_ = taken;
    ui_.Text6.setText(selectionLine(taken));
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
    ui_.Text3.setText(fileCountLine(ui_.File1.count(), ui_.Combo1.text()));
}

void Panes::writeTargetStatus() {
    ui_.Text4.setText(fileCountLine(ui_.File2.count(), ui_.Combo3.text()));
}

void Panes::proposeGenericName() {
    if (ui_.File1.count() > 0)
        ui_.Text1.setText(proposedName(ui_.File1.row(0)));
}

// A drive without a medium fails its step; the next step still runs.
void Panes::drive1Change() {
    ui_.Dir1.openDrive(ui_.Drive1.drive());
    ui_.Drive2.setDrive(ui_.Drive1.drive());
}

void Panes::drive2Change() {
    ui_.Dir2.openDrive(ui_.Drive2.drive());
}

void Panes::dir1Change() {
    ui_.Text1.setText("");
    ui_.File1.setPath(ui_.Dir1.path());
    ui_.Dir2.setPath(ui_.Dir1.path());
    writeSourceStatus();
    ui_.Text6.setText(selectionLine(ui_.File1.count()));
    reactions_.sourceFolderOpened();
    proposeGenericName();
}

void Panes::dir2Change() {
    ui_.File2.setPath(ui_.Dir2.path());
    writeTargetStatus();
}

void Panes::file1Click() {
    ui_.File2.refresh();
    const int selected = ui_.File1.selectedCount();
    ui_.Text6.setText(selectionLine(selected > 0 ? selected : ui_.File1.count()));
}

void Panes::file2Click() {
    ui_.File1.refresh();
    const int selected = ui_.File2.selectedCount();
    ui_.Text6.setText(selectionLine(selected > 0 ? selected : ui_.File1.count()));
}

void Panes::listReread(bool source) {
    if (!source) {
        writeTargetStatus();
        return;
    }
    writeSourceStatus();
    const int selected = ui_.File1.selectedCount();
    ui_.Text6.setText(selectionLine(selected > 0 ? selected : ui_.File1.count()));
}

// Opens the entry just above the highlighted one; at a drive's root there is none and
// nothing happens.
void Panes::up(bool source) {
    FolderList& folders = source ? ui_.Dir1 : ui_.Dir2;
    if (const auto above = folders.entry(folders.highlighted() - 1))
        folders.setPath(*above);
}

void Panes::RefreshSourceList() {
    ui_.File1.setPattern("*." + ui_.Combo1.text());
    ui_.Text1.setText("");
    proposeGenericName();
    writeSourceStatus();
    ui_.Text6.setText(selectionLine(ui_.File1.count()));
}

void Panes::RefreshTargetList() {
    ui_.File2.setPattern("*." + ui_.Combo3.text());
    writeTargetStatus();
}

void Panes::combo1Click() {
    RefreshSourceList();
    ui_.Combo3.setText(ui_.Combo1.text());
    RefreshTargetList();
    reactions_.typeChanged();
    ui_.Text6.setText(selectionLine(ui_.File1.count()));
}

void Panes::combo3Click() {
    RefreshTargetList();
    reactions_.typeChanged();
}

} // namespace quorvel
