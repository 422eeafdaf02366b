#include "panes/Panes.h"

#include "app/MainWindow.h"
#include "rename/NameComposer.h"
#include "text/Utf8.h"

namespace quorvel {

Panes::Panes(MainWindow& window) : w_(window) {
    w_.Drive1.onChange = [this] { drive1Change(); };
    w_.Drive2.onChange = [this] { drive2Change(); };
    w_.Dir1.onChange = [this] { dir1Change(); };
    w_.Dir2.onChange = [this] { dir2Change(); };
    w_.File1.onClick = [this] { file1Click(); };
    w_.File2.onClick = [this] { file2Click(); };
    w_.Comm1[1]->onClick = [this] { up(true); };
    w_.Comm2[1]->onClick = [this] { up(false); };
    w_.Combo1.onClick = [this] { combo1Click(); };
    w_.Combo3.onClick = [this] { combo3Click(); };
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
    w_.Text3.setText(fileCountLine(w_.File1.count(), w_.Combo1.text()));
}

void Panes::writeTargetStatus() {
    w_.Text4.setText(fileCountLine(w_.File2.count(), w_.Combo3.text()));
}

void Panes::proposeGenericName() {
    if (w_.File1.count() > 0)
        w_.Text1.setText(proposedName(w_.File1.row(0)));
}

// A drive without a medium fails its step; the next step still runs.
void Panes::drive1Change() {
    w_.Dir1.openDrive(w_.Drive1.drive());
    w_.Drive2.setDrive(w_.Drive1.drive());
}

void Panes::drive2Change() {
    w_.Dir2.openDrive(w_.Drive2.drive());
}

void Panes::dir1Change() {
    w_.Text1.setText("");
    w_.File1.setPath(w_.Dir1.path());
    w_.Dir2.setPath(w_.Dir1.path());
    writeSourceStatus();
    w_.Text6.setText(selectionLine(w_.File1.count()));
    w_.composer().SelectNumberWidth();
    proposeGenericName();
}

void Panes::dir2Change() {
    w_.File2.setPath(w_.Dir2.path());
    writeTargetStatus();
}

void Panes::file1Click() {
    w_.File2.refresh();
    const int selected = w_.File1.selectedCount();
    w_.Text6.setText(selectionLine(selected > 0 ? selected : w_.File1.count()));
}

void Panes::file2Click() {
    w_.File1.refresh();
    const int selected = w_.File2.selectedCount();
    w_.Text6.setText(selectionLine(selected > 0 ? selected : w_.File1.count()));
}

// Opens the entry just above the highlighted one; at a drive's root there is none and
// nothing happens.
void Panes::up(bool source) {
    FolderList& folders = source ? w_.Dir1 : w_.Dir2;
    if (const auto above = folders.entry(folders.highlighted() - 1))
        folders.setPath(*above);
}

void Panes::RefreshSourceList() {
    w_.File1.setPattern("*." + w_.Combo1.text());
    w_.Text1.setText("");
    proposeGenericName();
    writeSourceStatus();
    w_.Text6.setText(selectionLine(w_.File1.count()));
}

void Panes::RefreshTargetList() {
    w_.File2.setPattern("*." + w_.Combo3.text());
    writeTargetStatus();
}

void Panes::combo1Click() {
    RefreshSourceList();
    w_.Combo3.setText(w_.Combo1.text());
    RefreshTargetList();
    w_.composer().UpdateNamePreview();
    w_.Text6.setText(selectionLine(w_.File1.count()));
}

void Panes::combo3Click() {
    RefreshTargetList();
    w_.composer().UpdateNamePreview();
}

} // namespace quorvel
