#include "files/FileDeletion.h"

#include "controls/Controls.h"
#include "controls/Errors.h"
#include "panes/Panes.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "text/Paths.h"
#include "text/Utf8.h"

#include <vector>

namespace quorvel {

FileDeletion::FileDeletion(const DeletionControls& controls, Panes& panes, Toolkit& toolkit,
                           FileSystem& fs)
    : ui_(controls), panes_(panes), toolkit_(toolkit), fs_(fs) {
    ui_.sourceDelete.onClick = [this] { deleteSelected(true); };
    ui_.targetDelete.onClick = [this] { deleteSelected(false); };
}

std::string FileDeletion::outcomeLine(int deleted, int selected) {
    // With nothing deleted, "all deleted" would claim a deletion that never happened.
    if (deleted == selected && deleted > 0)
        return "Tous les fichiers sélectionnés sont effacés";
    return "   Fichiers effacés = " + std::to_string(deleted) + " sur " + std::to_string(selected);
}

void FileDeletion::deleteSelected(bool source) {
    FileList& files = source ? ui_.sourceFiles : ui_.targetFiles;
    FileList& others = source ? ui_.targetFiles : ui_.sourceFiles;
    const std::string title = source ? " Effacer le fichiers?" : " Effacer le fichier?";
    const std::string folder = files.path();

    // Names taken before the first question, so that the walk cannot be shifted by a
    // re-read of the list.
    std::vector<std::string> names;
    for (const int row : files.selectedRows())
        names.push_back(files.row(row));

    int deleted = 0;
    std::vector<FileFailure> failures;
    for (const std::string& name : names) {
        for (int i = 0; i < 3; ++i)
            toolkit_.beep();
        const Reply reply = toolkit_.message("Effacer définitivement :\r\n" +
                                                 utf8ElideMiddle(name, questionNameLimit),
                                             Icon::Question, Buttons::YesNoDefaultNo, title);
        if (reply != Reply::Yes)
            continue;
        if (const auto removed = fs_.removeFile(joinPath(folder, name)); !removed)
            failures.push_back({name, removed.code(), ""});
        else
            ++deleted;
    }

    files.refresh();
    ui_.selectionCount.setText(outcomeLine(deleted, static_cast<int>(names.size())));
    source ? panes_.writeSourceStatus() : panes_.writeTargetStatus();
    others.refresh();
    source ? panes_.writeTargetStatus() : panes_.writeSourceStatus();
    if (!failures.empty()) {
        const std::string head = failures.size() == 1 ? "Ce fichier n'a pas pu être effacé :"
                                                      : std::to_string(failures.size()) +
                                                            " fichiers n'ont pas pu être effacés :";
        toolkit_.message(withFailures(head, failures), Icon::Error, Buttons::Ok, "Effacer");
    }
}

} // namespace quorvel
