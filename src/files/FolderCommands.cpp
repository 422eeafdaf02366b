#include "files/FolderCommands.h"

#include "app/Errors.h"
#include "app/MainWindow.h"
#include "text/NameCheck.h"
#include "text/Paths.h"

#include <algorithm>
#include <cerrno>

namespace quorvel {

namespace {

const std::string createTitle = "Créer un nouveau répertoire";
const std::string renameTitle = "Renommer";
const std::string deleteTitle = "Effacer le répertoire";

std::string quoted(const std::string& text) {
    return "« " + text + " »";
}

// Every entry left with its reason, up to a number that still fits in a message box.
std::string leftOverText(const std::string& name, const TreeDeleteResult& result) {
    constexpr std::size_t shown = 20;
    const std::string count = std::to_string(result.left);
    const std::string what = result.left == 1 ? "1 élément n'a pas pu être effacé"
                                              : count + " éléments n'ont pas pu être effacés";
    std::string text =
        "Le répertoire " + quoted(name) + " n'a pas été entièrement effacé : " + what + ".\r\n";
    const std::size_t listed = std::min(result.leftEntries.size(), shown);
    for (std::size_t i = 0; i < listed; ++i) {
        const LeftEntry& entry = result.leftEntries[i];
        text += "\r\n" + entry.path + " : " + frenchReason(entry.error);
    }
    if (result.left > listed)
        text += "\r\n… et " + std::to_string(result.left - listed) + " autres";
    return text;
}

} // namespace

FolderCommands::FolderCommands(MainWindow& window) : w_(window) {
    w_.Comm1[2]->onClick = [this] { createFolder(true); };
    w_.Comm2[2]->onClick = [this] { createFolder(false); };
    w_.Comm1[3]->onClick = [this] { renameFolder(true); };
    w_.Comm2[3]->onClick = [this] { renameFolder(false); };
    w_.Comm1[5]->onClick = [this] { deleteFolder(true); };
    w_.Comm2[5]->onClick = [this] { deleteFolder(false); };
}

FolderList& FolderCommands::own(bool source) {
    return source ? w_.Dir1 : w_.Dir2;
}

FolderList& FolderCommands::other(bool source) {
    return source ? w_.Dir2 : w_.Dir1;
}

void FolderCommands::beepThrice() {
    for (int i = 0; i < 3; ++i)
        w_.toolkit().beep();
}

void FolderCommands::error(const std::string& text, const std::string& title) {
    w_.toolkit().message(text, Icon::Error, Buttons::Ok, title);
}

bool FolderCommands::refuseVolumeRoot(const FolderList& folders, const std::string& refusal,
                                      const std::string& title) {
    if (folders.path() != folders.driveRoot() && !w_.fs().isMountRoot(folders.path()))
        return false;
    error(quoted(folders.path()) + " est la racine d'un volume : " + refusal, title);
    return true;
}

bool FolderCommands::acceptName(const std::string& name, const std::string& title) {
    if (name.empty()) {
        error("Le répertoire n'est pas défini", title);
        return false;
    }
    if (const char* problem = typedNameProblem(name)) {
        error("Le nom " + quoted(name) + " ne convient pas pour un répertoire.\r\n" + problem,
              title);
        return false;
    }
    return true;
}

bool FolderCommands::open(FolderList& folders, const std::string& path, const std::string& title) {
    const int failed = folders.setPath(path);
    if (failed != 0)
        error("Le répertoire " + quoted(path) + " ne peut pas être ouvert :\r\n" +
                  frenchReason(failed),
              title);
    return failed == 0;
}

void FolderCommands::createFolder(bool source) {
    FolderList& folders = own(source);
    w_.sChTmp = w_.toolkit().input("Nom du nouveau répertoire:", "Création", "");
    if (!acceptName(w_.sChTmp, createTitle))
        return;
    const std::string path = joinPath(folders.path(), w_.sChTmp);
    if (const int failed = w_.fs().createFolder(path)) {
        error(failed == EEXIST ? "Un répertoire ou un fichier nommé " + quoted(w_.sChTmp) +
                                     " existe déjà dans " + quoted(folders.path()) + "."
                               : "Le répertoire " + quoted(path) + " n'a pas pu être créé :\r\n" +
                                     frenchReason(failed),
              createTitle);
        return;
    }
    // From the source pane the target pane follows by itself; from the target pane the
    // source list still has to show its new subfolder if it is on the same folder.
    open(folders, path, createTitle);
    if (!source)
        w_.Dir1.refresh();
}

void FolderCommands::renameFolder(bool source) {
    FolderList& folders = own(source);
    if (refuseVolumeRoot(folders, "il ne peut pas être renommé.", renameTitle))
        return;
    const std::string oldPath = folders.path();
    w_.OldRep = lastComponent(oldPath);
    w_.sChTmp = w_.toolkit().input("Nouveau nom du répertoire:", "Renommer", w_.OldRep);
    if (!acceptName(w_.sChTmp, renameTitle))
        return;
    beepThrice();
    const std::string connector = source ? " en " : "en";
    const Reply reply = w_.toolkit().message(
        "Renommer définitivement :\r\n" + w_.OldRep + "\r\n" + connector + "\r\n" + w_.sChTmp,
        Icon::Question, Buttons::YesNo, " Renommer le répertoire?");
    if (reply != Reply::Yes)
        return;
    const std::string parent = parentFolder(oldPath);
    const std::string newPath = joinPath(parent, w_.sChTmp);
    // The no-replace rename: a plain rename would put this folder in place of an empty
    // folder of the new name.
    if (const int failed = w_.fs().renameNoReplace(oldPath, newPath)) {
        error(failed == EEXIST
                  ? "Un répertoire ou un fichier nommé " + quoted(w_.sChTmp) +
                        " existe déjà dans " + quoted(parent) + " : le répertoire " +
                        quoted(w_.OldRep) + " garde son nom."
                  : "Le répertoire " + quoted(w_.OldRep) + " n'a pas pu être renommé en " +
                        quoted(w_.sChTmp) + " :\r\n" + frenchReason(failed),
              renameTitle);
        return;
    }
    // The other pane follows only a pane that really reached the new name.
    if (open(folders, newPath, renameTitle))
        open(other(source), folders.path(), renameTitle);
}

void FolderCommands::deleteFolder(bool source) {
    FolderList& folders = own(source);
    if (refuseVolumeRoot(folders, "il ne peut pas être effacé.", deleteTitle))
        return;
    const std::string path = folders.path();
    const std::string name = lastComponent(path);
    beepThrice();
    const Reply reply =
        w_.toolkit().message("Effacer définitivement le répertoire :\r\n" + name, Icon::Question,
                             Buttons::YesNo, " Effacer le répertoire?");
    if (reply != Reply::Yes)
        return;
    w_.OldRep = parentFolder(path);
    const TreeDeleteResult result = DeleteFolderTree(path);
    folders.refresh();
    const bool moved = open(folders, w_.OldRep, deleteTitle);
    if (!source) {
        w_.Dir1.refresh();
        if (moved)
            open(w_.Dir1, folders.path(), deleteTitle);
    }
    if (result.left > 0)
        error(leftOverText(name, result), deleteTitle);
}

TreeDeleteResult FolderCommands::DeleteFolderTree(const std::string& path) {
    w_.toolkit().setBusy(true);
    TreeDeleteResult result = w_.fs().deleteTree(path);
    w_.toolkit().setBusy(false);
    return result;
}

} // namespace quorvel
