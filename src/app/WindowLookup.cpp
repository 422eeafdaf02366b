// The scenario runner and the tests reach controls and window variables by name.
#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/OffsetDialog.h"
#include "edits/NameEdits.h"
#include "files/FolderCommands.h"
#include "preview/Preview.h"
#include "rename/BatchRename.h"
#include "rename/NameComposer.h"
#include "viewer/PhotoViewer.h"

namespace quorvel {

Control* MainWindow::findControl(const std::string& name) {
    const auto windowNamed = [this](const std::string& window) -> Form* {
        if (window == "Form1")
            return &form;
        if (window == "Form2")
            return viewer_->form();
        if (window == "About")
            return about_->form();
        if (window == "Apercu")
            return preview_->form();
        if (window == "Decalage")
            return offsets_->form();
        return nullptr;
    };
    const auto dot = name.find('.');
    if (dot != std::string::npos) {
        Form* owner = windowNamed(name.substr(0, dot));
        return owner == nullptr ? nullptr : owner->find(name.substr(dot + 1));
    }
    if (name == "Form1" || name == "Form2" || name == "About" || name == "Apercu" ||
        name == "Decalage")
        return windowNamed(name);
    // A bare name is the main window's first, then that of an open viewer or about box.
    for (Form* owner : {&form, viewer_->form(), about_->form()}) {
        if (owner == nullptr)
            continue;
        if (Control* found = owner->find(name))
            return found;
    }
    return nullptr;
}

// Each variable is kept by the subsystem that writes it; of two of the same name, the one
// written last.
std::optional<VariableValue> MainWindow::variable(const std::string& name) const {
    const ComposerVariables& typed = composer_->variables();
    const RunVariables& run = batch_->variables();
    const EditVariables& edit = edits_->variables();
    const FolderVariables& folder = folders_->variables();
    const std::pair<const char*, std::int64_t> numbers[] = {
        {"Numero", typed.startNumber}, {"Pas", typed.increment},     {"Rang", run.rank},
        {"Exces", edit.cutExcess},     {"Fixe", edit.selectionOnly}, {"Flag", edit.typeKnown}};
    for (const auto& [key, value] : numbers) {
        if (name == key)
            return VariableValue(value);
    }
    const std::pair<const char*, const std::string*> texts[] = {
        {"Nom", &typed.typedGeneric},
        {"M", &latest(edit.lastSource, run.lastSource)},
        {"N", &run.lastTarget},
        {"Frang", &run.rankText},
        {"sChTmp", &latest(edit.answer, folder.answer)},
        {"OldRep", &latest(edit.proposedText, folder.proposedText)},
        {"NN", &edit.lastEditTarget},
        {"MM", &edit.cutName},
        {"Ext", &edit.typedPrefix},
        {"F1", &edit.editSourceFolder},
        {"F2", &edit.editTargetFolder}};
    for (const auto& [key, value] : texts) {
        if (name == key)
            return VariableValue(*value);
    }
    return std::nullopt;
}

} // namespace quorvel
