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
    OffsetDialog& offsetDialog() { return *offsets_; }

    // The window's help file, named by start-up.
    const std::string& helpFile() const { return helpFile_; }

private:
    Services services_;
    FormHost& forms_;
    Drives drives_;

public:
    Form form;

    Frame& Frame1;
    Frame& Frame2;
    Frame& Frame3;
    Frame& Frame4;
    Frame& Frame8;
    Frame& FraPro;

    std::array<PictureButton*, 11> Comm1{}; // Comm1[1] .. Comm1[10]
    std::array<PictureButton*, 7> Comm2{};  // Comm2[1] .. Comm2[6]
    DriveList& Drive1;
    FolderList& Dir1;
    FileList& File1;
    TextBox& Text3;
    DriveList& Drive2;
    FolderList& Dir2;
    FileList& File2;
    TextBox& Text4;

    Label& Label7;
    Label& Label6;
    TextBox& Text1;
    Label& Label3;
    TextBox& Text2;
    Label& Label2;
    ComboBox& Combo2;
    std::array<OptionButton*, 3> Option2{};
    Label& Label1;
    ComboBox& Combo1;
    Label& Label11;
    ComboBox& Combo3;
    PictureButton& Comm3;
    std::array<OptionButton*, 5> Option1{};
    TextBox& Text6;
    CommandButton& Command1;

    Label& Label5;
    CheckBox& Check1;
    CommandButton& Command2;
    // "Arrêter", while a batch runs.
    CommandButton& cmdArreter;

    std::array<Image*, 4> TN{};
    std::array<Label*, 4> NomTN{};
    Image& Image1;
    CommandButton& Command3;
    CommandButton& APropos;

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

    // Window-level variables: they live as long as the window and are never saved.
    // Numbers are held wide so that a value outside the 16-bit range is kept as typed
    // and refused where it would be used.
    std::string Nom;
    std::int64_t Numero = 0;
    std::int64_t Pas = 0;
    std::string M;
    std::string N;
    std::int64_t Rang = 0;
    std::string Frang;
    std::string sChTmp;
    std::string OldRep;
    std::string NN;
    std::string MM;
    std::string Ext;
    std::string F1;
    std::string F2;
    std::int64_t Exces = 0;
    std::int64_t Fixe = 0;
    std::int64_t Flag = 0;

    // "Dater les photos par leur prise de vue": the time stamps of the run are the photos'
    // capture dates. Saved at shut-down in a settings group of its own.
    bool exifDates = false;
    // "Numéroter dans l'ordre de prise de vue", "Départager les photos prises dans la même
    // seconde" and the offsets of "Décaler l'heure des appareils…", saved likewise.
    CaptureOptions captureOptions;

private:
    void setDesignValues();
    void makeRows();
    void showWorkingFolder();
    void makeSubsystems(Journal* journal);
    void wireOptions();
    // While a batch runs, what would change it takes no input.
    void holdStill(bool running);
    // The values that survive between runs: read first at start-up, written at shut-down
    // (false when the store could not keep them).
    void restoreSettings();
    bool saveSettings();

    std::unique_ptr<Panes> panes_;
    std::unique_ptr<NameComposer> composer_;
    std::unique_ptr<BatchRename> batch_;
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
