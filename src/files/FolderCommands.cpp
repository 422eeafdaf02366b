#include "files/FolderCommands.h"

#include "batch/FileBatch.h"
#include "controls/Controls.h"
#include "controls/Errors.h"
#include "platform/Clock.h"
#include "platform/Toolkit.h"
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

FolderCommands::FolderCommands(const FolderControls& controls, Toolkit& toolkit, FileSystem& fs,
                               Clock& clock, FileBatch& batches)
    : ui_(controls), toolkit_(toolkit), fs_(fs), clock_(clock), batches_(batches) {
    ui_.sourceCreate.onClick = [this] { createFolder(true); };
    ui_.targetCreate.onClick = [this] { createFolder(false); };
    ui_.sourceRename.onClick = [this] { renameFolder(true); };
    ui_.targetRename.onClick = [this] { renameFolder(false); };
    ui_.sourceDelete.onClick = [this] { deleteFolder(true); };
    ui_.targetDelete.onClick = [this] { deleteFolder(false); };
}

FolderList& FolderCommands::own(bool source) {
    return source ? ui_.sourceFolders : ui_.targetFolders;
}

FolderList& FolderCommands::other(bool source) {
    return source ? ui_.targetFolders : ui_.sourceFolders;
}

void FolderCommands::beepThrice() {
    for (int i = 0; i < 3; ++i)
        toolkit_.beep();
}

void FolderCommands::error(const std::string& text, const std::string& title) {
    toolkit_.message(text, Icon::Error, Buttons::Ok, title);
}

bool FolderCommands::refuseVolumeRoot(const FolderList& folders, const std::string& refusal,
                                      const std::string& title) {
    if (folders.path() != folders.driveRoot() && !fs_.isMountRoot(folders.path()))
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
    vars_.answer = toolkit_.input("Nom du nouveau répertoire:", "Création", "");
    if (!acceptName(*vars_.answer, createTitle))
        return;
    const std::string path = joinPath(folders.path(), *vars_.answer);
    if (const auto created = fs_.createFolder(path); !created) {
        error(created.code() == EEXIST
                  ? "Un répertoire ou un fichier nommé " + quoted(*vars_.answer) +
                        " existe déjà dans " + quoted(folders.path()) + "."
                  : "Le répertoire " + quoted(path) + " n'a pas pu être créé :\r\n" +
                        frenchReason(created.code()),
              createTitle);
        return;
    }
    // From the source pane the target pane follows by itself; from the target pane the
    // source list still has to show its new subfolder if it is on the same folder.
    open(folders, path, createTitle);
    if (!source)
        ui_.sourceFolders.refresh();
}

void FolderCommands::renameFolder(bool source) {
    FolderList& folders = own(source);
    if (refuseVolumeRoot(folders, "il ne peut pas être renommé.", renameTitle))
        return;
    const std::string oldPath = folders.path();
    vars_.proposedText = lastComponent(oldPath);
    vars_.answer = toolkit_.input("Nouveau nom du répertoire:", "Renommer", *vars_.proposedText);
    if (!acceptName(*vars_.answer, renameTitle))
        return;
    beepThrice();
    const std::string connector = source ? " en " : "en";
    const Reply reply =
        toolkit_.message("Renommer définitivement :\r\n" + *vars_.proposedText + "\r\n" +
                             connector + "\r\n" + *vars_.answer,
                         Icon::Question, Buttons::YesNo, " Renommer le répertoire?");
    if (reply != Reply::Yes)
        return;
    const std::string parent = parentFolder(oldPath);
    const std::string newPath = joinPath(parent, *vars_.answer);
    // The no-replace rename: a plain rename would put this folder in place of an empty
    // folder of the new name. As a batch of its own, it can be undone.
    batches_.run(
        {BatchKind::FolderRename, parent, parent, clock_.now()},
        {WorkItem{oldPath, newPath, ChangeKind::Rename}}, {}, observer_,
        [this, source, parent, newPath, oldName = *vars_.proposedText,
         newName = *vars_.answer](const FileBatchResult& result) {
            // None: the user chose not to go on without undo.
            if (!result.outcomes.empty())
                folderRenamed(source, {parent, newPath, oldName, newName}, result.outcomes.front());
        });
}

void FolderCommands::folderRenamed(bool source, const Renaming& renaming,
                                   const ItemOutcome& outcome) {
    if (const int failed = outcome.outcome == Outcome::Collision ? EEXIST : outcome.error) {
        error(failed == EEXIST
                  ? "Un répertoire ou un fichier nommé " + quoted(renaming.newName) +
                        " existe déjà dans " + quoted(renaming.parent) + " : le répertoire " +
                        quoted(renaming.oldName) + " garde son nom."
                  : "Le répertoire " + quoted(renaming.oldName) + " n'a pas pu être renommé en " +
                        quoted(renaming.newName) + " :\r\n" + frenchReason(failed),
              renameTitle);
        return;
    }
    // The other pane follows only a pane that really reached the new name.
    FolderList& folders = own(source);
    if (open(folders, renaming.newPath, renameTitle))
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
        toolkit_.message("Effacer définitivement le répertoire :\r\n" + name, Icon::Question,
                         Buttons::YesNoDefaultNo, " Effacer le répertoire?");
    if (reply != Reply::Yes)
        return;
    vars_.proposedText = parentFolder(path);
    const TreeDeleteResult result = DeleteFolderTree(path);
    folders.refresh();
    const bool moved = open(folders, *vars_.proposedText, deleteTitle);
    if (!source) {
        ui_.sourceFolders.refresh();
        if (moved)
            open(ui_.sourceFolders, folders.path(), deleteTitle);
    }
    if (result.left > 0)
        error(leftOverText(name, result), deleteTitle);
}

TreeDeleteResult FolderCommands::DeleteFolderTree(const std::string& path) {
    const BusyPointer busy(toolkit_);
    return fs_.deleteTree(path);
}

} // namespace quorvel
