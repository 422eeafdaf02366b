#pragma once

#include <functional>
#include <string>

namespace quorvel {

class ComboBox;
class DriveList;
class FileList;
class FolderList;
class PictureButton;
class TextBox;

// The controls of the two panes, and the boxes of the rename panel they keep in step.
struct PaneControls {
    DriveList& sourceDrives;
    FolderList& sourceFolders;
    FileList& sourceFiles;
    TextBox& sourceStatus;
    PictureButton& sourceUp;
    DriveList& targetDrives;
    FolderList& targetFolders;
    FileList& targetFiles;
    TextBox& targetStatus;
    PictureButton& targetUp;
    ComboBox& sourceType;
    ComboBox& targetType;
    TextBox& genericName;
    TextBox& selectionCount;
};

// What the rename panel does when the panes change under it.
struct PaneReactions {
    // The source folder changed: the number width follows its file count.
    std::function<void()> sourceFolderOpened;
    // A type filter changed: the sample names follow the target type.
    std::function<void()> typeChanged;
};

// The two file panes: how drive, folder and file lists follow each other, the type
// filters and the status lines.
class Panes {
public:
    Panes(const PaneControls& controls, PaneReactions reactions);
    ~Panes();
    Panes(const Panes&) = delete;
    Panes& operator=(const Panes&) = delete;

    void RefreshSourceList();
    void RefreshTargetList();

    // "    12 fichiers de type jpg"
    static std::string fileCountLine(int count, const std::string& type);
    // "   Fichiers sélectionnés = 3"
    static std::string selectionLine(int count);
    // Rewrites Text3 or Text4 from its list and type.
    void writeSourceStatus();
    void writeTargetStatus();
    // A list was re-read behind the user's back: its pane's status follows, with the
    // selection count for the source list.
    void listReread(bool source);

    // The generic name proposed from a first listed file: its name without the last four
    // characters, empty when it has four or fewer.
    static std::string proposedName(const std::string& fileName);

private:
    void drive1Change();
    void drive2Change();
    void dir1Change();
    void dir2Change();
    void file1Click();
    void file2Click();
    void up(bool source);
    void combo1Click();
    void combo3Click();
    void proposeGenericName();
    // The source list's selection changed, by the user or by a re-read that cleared it.
    void followSourceSelection();

    PaneControls ui_;
    PaneReactions reactions_;
    int sourceWatch_ = -1;
    // The count the counter was last given for the source list, so that a re-read that
    // leaves it as it was keeps the line another command wrote there.
    int countShown_ = -1;
};

} // namespace quorvel
