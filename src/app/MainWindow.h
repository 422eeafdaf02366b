#pragma once

#include "controls/Controls.h"
#include "controls/FormHost.h"
#include "platform/Services.h"
#include "rename/CameraClock.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace quorvel {

class Panes;
class NameComposer;
class BatchRename;
class NameEdits;
class FolderCommands;
class FileDeletion;
class Thumbnails;
class PhotoViewer;
class AboutBox;
class Journal;
class UndoCommand;
class Preview;
class OffsetDialog;
class DiskFollower;
class FileBatch;

// The value of a window-level variable, as the scenario runner prints it.
using VariableValue = std::variant<std::int64_t, std::string>;

// The main window Form1: its controls, its window-level variables, start-up and
// shut-down. The commands live in the subsystem objects it owns.
class MainWindow {
public:
    // The forms of the program appear through `forms`. Batches are recorded in `journal`
    // for undo; without one nothing is recorded and nothing can be undone.
    MainWindow(Services services, FormHost& forms, Journal* journal = nullptr);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // The window's Load: runs once, before the window is first shown.
    void startUp();
    // The same in two steps, so that the window can show before a large folder is read:
    // everything but the folders, then the saved folders read into the panes. The window
    // ends as startUp leaves it.
    void prepare();
    void openFolders();
    // The window's Unload, by "Quitter" or by the close box: saves the settings, then
    // destroys the window. Runs once.
    void close();
    bool closed() const { return closed_; }
    // F1 in the window.
    void showHelp();

    Services& services() { return services_; }
    Toolkit& toolkit() { return services_.toolkit; }
    FormHost& forms() { return forms_; }
    FileSystem& fs() { return services_.fs; }
    Drives& drives() { return drives_; }

    // Looks a control up by name: "Text1", "Option2(1)", "About.Label5", "Form2.Image2".
    Control* findControl(const std::string& name);
    // A window-level variable by name ("Nom", "Numero", ...), or nothing.
    std::optional<VariableValue> variable(const std::string& name) const;

    Panes& panes() { return *panes_; }
    NameComposer& composer() { return *composer_; }
    BatchRename& batch() { return *batch_; }
    NameEdits& edits() { return *edits_; }
    FolderCommands& folders() { return *folders_; }
    FileDeletion& deletion() { return *deletion_; }
    Thumbnails& thumbnails() { return *thumbnails_; }
    PhotoViewer& viewer() { return *viewer_; }
    AboutBox& about() { return *about_; }
    Preview& preview() { return *preview_; }
    // Whether any batch of file changes is under way: the run's, an edit's, a folder rename.
    bool batchRunning() const;
    OffsetDialog& offsetDialog() { return *offsets_; }

    // The window's help file, named by start-up.
    const std::string& helpFile() const { return helpFile_; }

private:
    Services services_;
    FormHost& forms_;
    Drives drives_;

public:
    Form form;

    Frame& sourcePane;
    Frame& targetPane;
    Frame& renamePanel;
    Frame& thumbnailStrip;
    Frame& digitsGroup;
    Frame& problemPanel;

    std::array<PictureButton*, 11> sourceButtons{}; // Comm1[1] .. Comm1[10]
    std::array<PictureButton*, 7> targetButtons{};  // Comm2[1] .. Comm2[6]
    DriveList& sourceDrives;
    FolderList& sourceFolders;
    FileList& sourceFiles;
    TextBox& sourceStatus;
    DriveList& targetDrives;
    FolderList& targetFolders;
    FileList& targetFiles;
    TextBox& targetStatus;

    Label& genericLabel;
    Label& genericHint;
    TextBox& genericName;
    Label& startLabel;
    TextBox& startIndex;
    Label& stepLabel;
    ComboBox& stepBox;
    std::array<OptionButton*, 3> digitOptions{};
    Label& sourceTypeLabel;
    ComboBox& sourceType;
    Label& targetTypeLabel;
    ComboBox& targetType;
    PictureButton& addTypeButton;
    std::array<OptionButton*, 5> schemeOptions{};
    TextBox& selectionCount;
    CommandButton& renameButton;

    Label& problemText;
    CheckBox& noWarningBox;
    CommandButton& problemOk;
    // "Arrêter", while a batch runs.
    CommandButton& stopButton;

    std::array<Image*, 4> stripPictures{};
    std::array<Label*, 4> stripNames{};
    Image& hiddenPicture;
    CommandButton& quitButton;
    CommandButton& aboutButton;

    // The menu bar, above the client area. An item of a feature still to come is one more
    // member here, one line where the constructor makes it and its reaction.
    Menu& mnuFichier;
    MenuItem& mnuApercu;
    MenuItem& mnuQuitter;
    Menu& mnuEdition;
    MenuItem& mnuAnnuler;
    Menu& mnuOptions;
    MenuItem& mnuExif;
    MenuItem& mnuOrdre;
    MenuItem& mnuDecalage;
    MenuItem& mnuSeconde;
    Menu& mnuAide;
    MenuItem& mnuAideF1;
    MenuItem& mnuAPropos;

    // "Dater les photos par leur prise de vue": the time stamps of the run are the photos'
    // capture dates. Saved at shut-down in a settings group of its own.
    bool exifDates = false;
    // "Numéroter dans l'ordre de prise de vue", "Départager les photos prises dans la même
    // seconde" and the offsets of "Décaler l'heure des appareils…", saved likewise.
    CaptureOptions captureOptions;

private:
    // The values the controls are designed with, the rows of buttons and options, and the
    // folder the panes open on.
    void setUpControls();
    void setDesignValues();
    void makeRows();
    void showWorkingFolder();
    void makeSubsystems(Journal* journal);
    // The composer, the panes and the run; the edits, folder commands and deletion; the strip,
    // viewer and about box; undo; and what follows the run and the disk (preview, offsets,
    // the lists' watcher).
    void makeRenamePanel();
    void makeFileCommands();
    void makePictures();
    void makeUndo(Journal* journal);
    void makeFollowers();
    // The quit and about commands, the menu's items and the window's close box.
    void wireCommands();
    void wireOptions();
    // While a batch runs, what would change it takes no input.
    void holdStill(bool running);
    // The values that survive between runs: read first at start-up, written at shut-down
    // (false when the store could not keep them).
    void restoreSettings();
    void restoreFolder();
    void fillChoices();
    void settle();
    bool saveSettings();

    std::unique_ptr<Panes> panes_;
    std::unique_ptr<NameComposer> composer_;
    std::unique_ptr<BatchRename> batch_;
    // The edits' and the folder rename's batches, made beside the window like the run's.
    std::unique_ptr<FileBatch> fileBatch_;
    std::unique_ptr<NameEdits> edits_;
    std::unique_ptr<FolderCommands> folders_;
    std::unique_ptr<FileDeletion> deletion_;
    std::unique_ptr<Thumbnails> thumbnails_;
    std::unique_ptr<PhotoViewer> viewer_;
    std::unique_ptr<AboutBox> about_;
    std::unique_ptr<UndoCommand> undo_;
    std::unique_ptr<Preview> preview_;
    std::unique_ptr<OffsetDialog> offsets_;
    std::unique_ptr<DiskFollower> follower_;
    std::string helpFile_;
    bool closed_ = false;
};

} // namespace quorvel
