#include "files/FileDeletion.h"

#include "app/Errors.h"
#include "app/MainWindow.h"
#include "panes/Panes.h"
#include "text/Paths.h"

#include <vector>

namespace quorvel {

FileDeletion::FileDeletion(MainWindow& window) : w_(window) {
    w_.Comm1[4]->onClick = [this] { deleteSelected(true); };
    w_.Comm2[4]->onClick = [this] { deleteSelected(false); };
}

std::string FileDeletion::outcomeLine(int deleted, int selected) {
    if (deleted == selected)
        return "Tous les fichiers sélectionnés sont effacés";
    return "   Fichiers effacés = " + std::to_string(deleted) + " sur " + std::to_string(selected);
}

void FileDeletion::deleteSelected(bool source) {
    FileList& files = source ? w_.File1 : w_.File2;
    FileList& others = source ? w_.File2 : w_.File1;
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
            w_.toolkit().beep();
        const Reply reply = w_.toolkit().message("Effacer définitivement :\r\n" + name,
                                                 Icon::Question, Buttons::YesNo, title);
        if (reply != Reply::Yes)
            continue;
        if (const int failed = w_.fs().removeFile(joinPath(folder, name)))
            failures.push_back({name, failed, ""});
        else
            ++deleted;
    }

    Panes& panes = w_.panes();
    files.refresh();
    w_.Text6.setText(outcomeLine(deleted, static_cast<int>(names.size())));
    source ? panes.writeSourceStatus() : panes.writeTargetStatus();
    others.refresh();
    source ? panes.writeTargetStatus() : panes.writeSourceStatus();
    if (!failures.empty()) {
        const std::string head = failures.size() == 1 ? "Ce fichier n'a pas pu être effacé :"
                                                      : std::to_string(failures.size()) +
                                                            " fichiers n'ont pas pu être effacés :";
        w_.toolkit().message(withFailures(head, failures), Icon::Error, Buttons::Ok, "Effacer");
    }
}

} // namespace quorvel
