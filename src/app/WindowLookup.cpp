// The scenario runner and the tests reach controls and window variables by name.
#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/OffsetDialog.h"
#include "preview/Preview.h"
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

std::optional<VariableValue> MainWindow::variable(const std::string& name) const {
    const std::pair<const char*, const std::int64_t*> numbers[] = {
        {"Numero", &startNumber}, {"Pas", &increment},      {"Rang", &rank},
        {"Exces", &cutExcess},    {"Fixe", &selectionOnly}, {"Flag", &typeKnown}};
    for (const auto& [key, value] : numbers) {
        if (name == key)
            return VariableValue(*value);
    }
    const std::pair<const char*, const std::string*> texts[] = {
        {"Nom", &typedGeneric},    {"M", &lastSource},       {"N", &lastTarget},
        {"Frang", &rankText},      {"sChTmp", &answer},      {"OldRep", &proposedText},
        {"NN", &lastEditTarget},   {"MM", &cutName},         {"Ext", &typedPrefix},
        {"F1", &editSourceFolder}, {"F2", &editTargetFolder}};
    for (const auto& [key, value] : texts) {
        if (name == key)
            return VariableValue(*value);
    }
    return std::nullopt;
}

} // namespace quorvel
