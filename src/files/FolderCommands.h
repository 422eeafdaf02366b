#pragma once

#include "batch/Batch.h"
#include "controls/Variables.h"
#include "platform/FileSystem.h"

#include <string>

namespace quorvel {

class FolderList;
class BatchObserver;
class Clock;
class FileBatch;
class PictureButton;
class Toolkit;

// The two folder lists with their buttons.
struct FolderControls {
    FolderList& sourceFolders;
    PictureButton& sourceCreate;
    PictureButton& sourceRename;
    PictureButton& sourceDelete;
    FolderList& targetFolders;
    PictureButton& targetCreate;
    PictureButton& targetRename;
    PictureButton& targetDelete;
};

// The window variables that hold the typed name and the folder's old name.
struct FolderVariables {
    Kept<std::string> answer;       // sChTmp
    Kept<std::string> proposedText; // OldRep
};

// Create, rename and delete the folder a pane is open on.
class FolderCommands {
public:
    // batches: where the folder rename is made, beside the window.
    FolderCommands(const FolderControls& controls, Toolkit& toolkit, FileSystem& fs, Clock& clock,
                   FileBatch& batches);

    // Removes the folder with everything inside under the busy pointer. A link inside is
    // removed as a link and the walk stays on the folder's own volume; whatever could not
    // go is counted in the result.
    TreeDeleteResult DeleteFolderTree(const std::string& path);
    // Told of every folder rename before it is made; null for none.
    void setObserver(BatchObserver* observer) { observer_ = observer; }
    const FolderVariables& variables() const { return vars_; }

private:
    void createFolder(bool source);
    void renameFolder(bool source);
    struct Renaming {
        std::string parent;
        std::string newPath;
        std::string oldName;
        std::string newName;
    };
    // Back on the window's thread once the folder rename has been made or refused.
    void folderRenamed(bool source, const Renaming& renaming, const ItemOutcome& outcome);
    void deleteFolder(bool source);

    FolderList& own(bool source);
    FolderList& other(bool source);
    // True, after telling the user why, when the pane is on a volume root: a root has no
    // parent to hold it under a new name, and deleting it would empty the whole volume.
    bool refuseVolumeRoot(const FolderList& folders, const std::string& refusal,
                          const std::string& title);
    // False, after telling the user why, when the typed name is empty or not one name.
    bool acceptName(const std::string& name, const std::string& title);
    // Opens the pane on a folder that now exists there; false, after telling the user why,
    // when it cannot be opened.
    bool open(FolderList& folders, const std::string& path, const std::string& title);
    void beepThrice();
    void error(const std::string& text, const std::string& title);

    FolderControls ui_;
    FolderVariables vars_;
    Toolkit& toolkit_;
    FileSystem& fs_;
    Clock& clock_;
    FileBatch& batches_;
    BatchObserver* observer_ = nullptr;
};

} // namespace quorvel
