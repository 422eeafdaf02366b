#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/OffsetDialog.h"
#include "edits/NameEdits.h"
#include "files/FileDeletion.h"
#include "files/FolderCommands.h"
#include "panes/DiskFollower.h"
#include "panes/Panes.h"
#include "preview/Preview.h"
#include "rename/BatchRename.h"
#include "rename/NameComposer.h"
#include "text/Numbers.h"
#include "text/Paths.h"
#include "undo/UndoCommand.h"
#include "viewer/PhotoViewer.h"
#include "viewer/Thumbnails.h"

#include <initializer_list>

namespace quorvel {

namespace {

constexpr Rgb sourceColour = 0xFFC080;
constexpr Rgb targetColour = 0xFFE0C0;

const char* const windowTitle = "Mini Quorvel Photos et Fichiers 01 2007";

template <typename T>
T& make(Form& form, const std::string& name, Control* container, Geometry geometry,
        const std::string& caption = {}, const std::string& tooltip = {}) {
    T& control = form.add<T>(name, container, geometry);
    if (!caption.empty())
        control.setCaption(caption);
    control.setTooltip(tooltip);
    return control;
}

TextBox& statusBox(Form& form, const std::string& name, Control* container, Geometry geometry,
                   Rgb colour, const std::string& tooltip = {}) {
    TextBox& box = make<TextBox>(form, name, container, geometry, {}, tooltip);
    box.readOnly = true;
    box.setBackColor(colour);
    return box;
}

// A drive, folder or file list: its constructor takes what it reads from.
template <typename T, typename Source>
T& list(Form& form, const std::string& name, Control* container, Geometry geometry,
        const std::string& tooltip, Rgb colour, Source& source) {
    T& control = form.add<T>(name, container, geometry, source);
    control.setTooltip(tooltip);
    control.setBackColor(colour);
    return control;
}

Frame& frame(Form& form, const std::string& name, Control* container, Geometry geometry,
             const std::string& caption) {
    return make<Frame>(form, name, container, geometry, caption);
}

std::string optionName(const char* base, int index) {
    return std::string(base) + "(" + std::to_string(index) + ")";
}

} // namespace

MainWindow::MainWindow(Services services, FormHost& forms, Journal* journal)
    : services_(services), forms_(forms), drives_(services.fs), form("Form1", 13380, 7065),
      Frame1(frame(form, "Frame1", &form, {240, 120, 3255, 6825}, "Frame1")),
      Frame2(frame(form, "Frame2", &form, {7560, 120, 3255, 6855}, "Frame2")),
      Frame3(frame(form, "Frame3", &form, {3570, 120, 3900, 5880}, "Renommer un lot de fichiers")),
      Frame4(frame(form, "Frame4", &form, {10900, 60, 2400, 6885}, "Frame4")),
      Frame8(frame(form, "Frame8", &Frame3, {2400, 1080, 1335, 1095}, "Sélecteur")),
      FraPro(frame(form, "FraPro", &form, {3570, 120, 3900, 5880}, "Problème !")),
      Drive1(list<DriveList>(form, "Drive1", &Frame1, {120, 720, 3000, 315}, "Drive source",
                             sourceColour, drives_)),
      Dir1(list<FolderList>(form, "Dir1", &Frame1, {120, 1080, 3000, 1890}, "Répertoire source",
                            sourceColour, drives_)),
      File1(list<FileList>(form, "File1", &Frame1, {120, 3045, 3000, 3405},
                           "Fichiers source à convertir", sourceColour, services.fs)),
      Text3(statusBox(form, "Text3", &Frame1, {120, 6480, 3000, 285}, sourceColour)),
      Drive2(list<DriveList>(form, "Drive2", &Frame2, {120, 720, 3000, 315}, "Drive de destination",
                             targetColour, drives_)),
      Dir2(list<FolderList>(form, "Dir2", &Frame2, {120, 1080, 3000, 1890},
                            "Répertoire de destination", targetColour, drives_)),
      File2(list<FileList>(form, "File2", &Frame2, {120, 3000, 3000, 3405}, "Fichiers renommés",
                           targetColour, services.fs)),
      Text4(statusBox(form, "Text4", &Frame2, {120, 6480, 3000, 285}, targetColour)),
      Label7(make<Label>(form, "Label7", &Frame3, {120, 240, 3600, 225}, "Nom générique")),
      Label6(make<Label>(form, "Label6", &Frame3, {120, 465, 3600, 225},
                         "peut inclure un _ ou un espace")),
      Text1(make<TextBox>(form, "Text1", &Frame3, {120, 720, 3600, 315}, {},
                          "Nouveau nom des fichiers")),
      Label3(make<Label>(form, "Label3", &Frame3, {120, 1080, 1140, 225}, "Index de départ")),
      Text2(make<TextBox>(form, "Text2", &Frame3, {120, 1320, 1020, 315}, {}, "Chiffre de départ")),
      Label2(make<Label>(form, "Label2", &Frame3, {1320, 1080, 960, 225}, "Incrément",
                         "Espace dans la numérotation")),
      Combo2(make<ComboBox>(form, "Combo2", &Frame3, {1320, 1320, 900, 315}, {}, "tous les ...")),
      Label1(make<Label>(form, "Label1", &Frame3, {120, 2175, 1500, 210}, "Extension Source")),
      Combo1(
          make<ComboBox>(form, "Combo1", &Frame3, {120, 2385, 1500, 315}, {}, "Tri des fichiers")),
      Label11(make<Label>(form, "Label11", &Frame3, {1800, 2175, 1500, 210}, "Extension Cible")),
      Combo3(make<ComboBox>(form, "Combo3", &Frame3, {1800, 2385, 1500, 315})),
      Comm3(form.add<PictureButton>("Comm3", &Frame3, Geometry{3420, 2400, 285, 285}, "add-type")),
      Text6(statusBox(form, "Text6", &Frame3, {120, 4995, 3660, 285}, sourceColour,
                      "Nombre de fichiers sélectionnés")),
      Command1(make<CommandButton>(form, "Command1", &Frame3, {120, 5385, 3660, 375}, "Renommer !",
                                   "Démarrer la conversion")),
      Label5(make<Label>(form, "Label5", &FraPro, {240, 1080, 3420, 720}, "Label5")),
      Check1(make<CheckBox>(form, "Check1", &FraPro, {240, 2160, 3420, 315},
                            "Continuer sans m'avertir")),
      Command2(make<CommandButton>(form, "Command2", &FraPro, {1200, 2880, 1500, 495}, "OK",
                                   "Continuer sans renommer")),
      cmdArreter(make<CommandButton>(form, "cmdArreter", &Frame3, {120, 5385, 3660, 375}, "Arrêter",
                                     "Arrêter le lot après le fichier en cours")),
      Image1(make<Image>(form, "Image1", &form, {50000, 0, 1740, 1305})),
      Command3(make<CommandButton>(form, "Command3", &form, {3600, 6120, 1365, 735}, "Quitter",
                                   "Quitter")),
      APropos(make<CommandButton>(form, "APropos", &form, {5400, 6240, 1935, 495}, "A Propos")),
      mnuFichier(form.add<Menu>("mnuFichier", &form, "&Fichier")),
      mnuApercu(form.add<MenuItem>("mnuApercu", &mnuFichier, "Aperçu du lot", "F5")),
      mnuQuitter(form.add<MenuItem>("mnuQuitter", &mnuFichier, "Quitter", "Ctrl+Q")),
      mnuEdition(form.add<Menu>("mnuEdition", &form, "&Édition")),
      mnuAnnuler(form.add<MenuItem>("mnuAnnuler", &mnuEdition, "Annuler le dernier lot", "Ctrl+Z")),
      mnuOptions(form.add<Menu>("mnuOptions", &form, "&Options")),
      mnuExif(form.add<MenuItem>("mnuExif", &mnuOptions, "Dater les photos par leur prise de vue")),
      mnuOrdre(
          form.add<MenuItem>("mnuOrdre", &mnuOptions, "Numéroter dans l'ordre de prise de vue")),
      mnuDecalage(form.add<MenuItem>("mnuDecalage", &mnuOptions, "Décaler l'heure des appareils…")),
      mnuSeconde(form.add<MenuItem>("mnuSeconde", &mnuOptions,
                                    "Départager les photos prises dans la même seconde")),
      mnuAide(form.add<Menu>("mnuAide", &form, "&Aide")),
      mnuAideF1(form.add<MenuItem>("mnuAideF1", &mnuAide, "Aide", "F1")),
      mnuAPropos(form.add<MenuItem>("mnuAPropos", &mnuAide, "A Propos")) {
    setDesignValues();
    makeRows();
    showWorkingFolder();
    makeSubsystems(journal);
    Command3.onClick = [this] { close(); };
    // The menu's items do what the buttons and keys of the first window do.
    mnuQuitter.onClick = [this] { Command3.click(); };
    wireOptions();
    mnuAideF1.onClick = [this] { showHelp(); };
    mnuAPropos.onClick = [this] { APropos.click(); };
    form.onClose = [this] { close(); };
}

MainWindow::~MainWindow() = default;

// The ticks of the "Options" menu are the window's options; its offsets box wires itself.
void MainWindow::wireOptions() {
    mnuExif.setCheckable(true);
    mnuExif.onClick = [this] { exifDates = mnuExif.checked(); };
    mnuOrdre.setCheckable(true);
    mnuOrdre.onClick = [this] { captureOptions.order = mnuOrdre.checked(); };
    mnuSeconde.setCheckable(true);
    mnuSeconde.onClick = [this] { captureOptions.sameSecond = mnuSeconde.checked(); };
}

// The values the controls have before any code runs.
void MainWindow::setDesignValues() {
    form.setCaption("Form1");
    FraPro.setVisible(false);
    Comm3.setTooltip("Introduire une nouvelle extension");
    Combo1.setText("jpg");
    Combo3.setText("jpg");
    Combo2.setText("1");
    Text1.setText("_Fichier");
    Text2.setText("1");
    Frame4.setBackColor(targetColour);
    // The frames' captions are placeholders and the combo boxes' labels read as headings:
    // a screen reader says what each one holds.
    Frame1.setAccessibleName("Volet source");
    Frame2.setAccessibleName("Volet cible");
    Frame4.setAccessibleName("Vignettes");
    Frame8.setAccessibleName("Nombre de chiffres");
    Drive1.setAccessibleName("Lecteur source");
    Drive2.setAccessibleName("Lecteur cible");
    Combo1.setAccessibleName("Type source");
    Combo3.setAccessibleName("Extension cible");
}

// The controls that come in rows: the panes' picture buttons, the width and scheme options
// and the thumbnail slots.
void MainWindow::makeRows() {
    static const char* const sourceIcons[] = {
        "up",   "new-folder",     "rename-folder", "delete-file",   "delete-folder",
        "view", "copy-to-target", "cut-left",      "lengthen-left", "cut-right"};
    static const char* const sourceTips[] = {
        "Remonter d'un niveau",
        "Créer un dossier",
        "Renommer le dossier sélectionné",
        "Effacer le fichier sélectionné",
        "Effacer le dossier sélectionné",
        "Voir la sélection",
        "Recopier les fichiers source sélectionnés vers le répertoire cible",
        "Couper le nom des fichiers sélectionnés par la gauche",
        "Rallonger le nom des fichiers sélectionnés par la gauche",
        "Couper le nom des fichiers sélectionnés par la droite"};
    static const char* const targetTips[] = {"Remonter d'un niveau",
                                             "Créer un dossier",
                                             "Renommer le dossier sélectionné",
                                             "Supprimer le fichier sélectionné",
                                             "Supprimer le dossier sélectionné",
                                             "Voir la sélection"};
    for (int i = 1; i <= 10; ++i) {
        Comm1[i] = &form.add<PictureButton>("Comm1_" + std::to_string(i), &Frame1,
                                            Geometry{120 + (i - 1) * 300, 360, 255, 255},
                                            sourceIcons[i - 1]);
        Comm1[i]->setTooltip(sourceTips[i - 1]);
    }
    for (int i = 1; i <= 6; ++i) {
        Comm2[i] = &form.add<PictureButton>("Comm2_" + std::to_string(i), &Frame2,
                                            Geometry{120 + (i - 1) * 300, 360, 255, 255},
                                            sourceIcons[i - 1]);
        Comm2[i]->setTooltip(targetTips[i - 1]);
    }
    static const char* const widthCaptions[] = {"2 chiffres", "3 chiffres", "4 chiffres"};
    static const char* const widthTips[] = {"de 0 à 99", "de 100 à 999", "de 1000 à 9999"};
    for (int i = 0; i < 3; ++i) {
        Option2[i] =
            &make<OptionButton>(form, optionName("Option2", i), &Frame8,
                                {120, 240 + i * 270, 1140, 255}, widthCaptions[i], widthTips[i]);
    }
    for (int i = 0; i < 5; ++i) {
        Option1[i] = &make<OptionButton>(form, optionName("Option1", i), &Frame3,
                                         {120, 3120 + i * 390, 3675, 315});
    }
    for (int i = 0; i < 4; ++i) {
        const int top = 360 + i * 1680;
        NomTN[i] = &make<Label>(form, optionName("NomTN", i), &Frame4, {90, top - 240, 2235, 210});
        TN[i] = &make<Image>(form, optionName("TN", i), &Frame4, {330, top, 1740, 1305});
    }
}

// Before start-up the panes show the current drive and the working folder.
void MainWindow::showWorkingFolder() {
    const std::string cwd = services_.fs.workingFolder();
    if (const auto drive = drives_.driveOf(cwd)) {
        Drive1.setDrive(*drive);
        Drive2.setDrive(*drive);
    }
    if (Dir1.setPath(cwd) == 0) {
        Dir2.setPath(cwd);
        File1.setPath(cwd);
        File2.setPath(cwd);
    }
}

// Each subsystem is given the controls it reads and writes and the services it calls, and
// wires its own reactions; what one subsystem asks of another goes through here.
void MainWindow::makeSubsystems(Journal* journal) {
    Toolkit& toolkit = services_.toolkit;
    FileSystem& fs = services_.fs;
    composer_ = std::make_unique<NameComposer>(ComposerControls{Text1, Text2, Combo2, Combo3,
                                                                Frame3, Frame8, Option1, Option2,
                                                                File1, Nom, Numero, Pas},
                                               services_.clock);
    panes_ =
        std::make_unique<Panes>(PaneControls{Drive1, Dir1, File1, Text3, *Comm1[1], Drive2, Dir2,
                                             File2, Text4, *Comm2[1], Combo1, Combo3, Text1, Text6},
                                PaneReactions{[this] { composer_->SelectNumberWidth(); },
                                              [this] { composer_->UpdateNamePreview(); }});
    batch_ = std::make_unique<BatchRename>(
        RunControls{File1, File2, Text2, Combo3, Command1, FraPro, Label5, Check1, Command2,
                    cmdArreter, Nom, Numero, Pas, exifDates, captureOptions, M, N, Rang, Frang},
        *composer_, *panes_, services_, [this](bool running) { holdStill(running); });
    cmdArreter.cancel = true;
    edits_ = std::make_unique<NameEdits>(
        EditControls{*Comm1[10], *Comm1[8], *Comm1[9], *Comm1[7], Comm3, File1, File2,
                     Combo1,     Combo3,    sChTmp,    OldRep,    MM,    Ext,   M,
                     NN,         F1,        F2,        Exces,     Fixe,  Flag},
        EditServices{toolkit, fs, services_.clock, *panes_, *composer_});
    folders_ = std::make_unique<FolderCommands>(
        FolderControls{Dir1, *Comm1[2], *Comm1[3], *Comm1[5], Dir2, *Comm2[2], *Comm2[3], *Comm2[5],
                       sChTmp, OldRep},
        toolkit, fs, services_.clock);
    deletion_ = std::make_unique<FileDeletion>(
        DeletionControls{File1, *Comm1[4], File2, *Comm2[4], Text6}, *panes_, toolkit, fs);
    viewer_ = std::make_unique<PhotoViewer>(forms_, toolkit, services_.pictures, fs);
    thumbnails_ =
        std::make_unique<Thumbnails>(StripControls{File1, *Comm1[6], File2, *Comm2[6], TN, NomTN},
                                     *viewer_, toolkit, services_.pictures);
    about_ = std::make_unique<AboutBox>(APropos, forms_, services_.shell, services_.program);
    mnuAnnuler.setEnabled(false);
    if (journal != nullptr) {
        undo_ = std::make_unique<UndoCommand>(
            UndoControls{mnuAnnuler, Dir1, Dir2, File1, File2},
            UndoServices{toolkit, fs, *journal, *panes_, [this] { return batch_->running(); }});
        batch_->setObserver(undo_.get());
        edits_->setObserver(undo_.get());
        folders_->setObserver(undo_.get());
    }
    preview_ = std::make_unique<Preview>(
        PreviewControls{mnuApercu, File1, File2, Text1, Text2, Combo2, Combo3, Option1, Option2,
                        form},
        PreviewServices{forms_, toolkit, fs, [this] { return batch_->inputs(); }});
    offsets_ =
        std::make_unique<OffsetDialog>(mnuDecalage, File1, captureOptions,
                                       OffsetDialogServices{forms_, toolkit, services_.captureDates,
                                                            [this] { preview_->runChanged(); }});
    follower_ = std::make_unique<DiskFollower>(File1, File2, *panes_, services_.folderWatcher,
                                               [this] { return batch_->running(); });
}

void MainWindow::startUp() {
    const std::string programFolder = services_.program.folder;
    restoreSettings();
    Frame1.setCaption("Répertoire du fichier Source");
    Frame2.setCaption("Répertoire de Sauvegarde");
    for (const char* type : {"jpg", "gif", "bmp", "tif", "mp3", "*"})
        Combo1.addItem(type);
    for (const char* type : {"jpg", "gif", "bmp", "tif", "mp3", "*"})
        Combo3.addItem(type);
    for (const char* step : {"1", "2", "3", "4"})
        Combo2.addItem(step);
    Dir1.openDrive(Drive1.drive());
    Dir2.openDrive(Drive2.drive());
    Pas = numericValue(Combo2.text());
    Nom = Text1.text();
    Numero = numericValue(Text2.text());
    form.setCaption(windowTitle);
    FraPro.setLeft(3750);
    Label5.setCaption("");
    Option1[0]->select();
    helpFile_ = joinPath(services_.program.filesFolder(), helpFileName);
    if (undo_)
        undo_->refresh();
}

void MainWindow::holdStill(bool running) {
    for (Control* control : std::initializer_list<Control*>{
             &Drive1, &Dir1, &File1, &Combo1, &Drive2, &Dir2, &File2, &Text1, &Text2, &Combo2,
             &Combo3, &Comm3, &Command1, &mnuAnnuler})
        control->setInert(running);
    for (auto* option : Option1)
        option->setInert(running);
    for (auto* option : Option2)
        option->setInert(running);
    // Every picture button changes the files or the folders shown, but the one that views.
    for (int i = 1; i <= 10; ++i)
        Comm1[i]->setInert(running && i != 6);
    for (int i = 1; i <= 6; ++i)
        Comm2[i]->setInert(running && i != 6);
}

void MainWindow::close() {
    if (closed_)
        return;
    if (batch_->running()) {
        if (services_.toolkit.message("Un lot est en cours : l'arrêter et quitter ?",
                                      Icon::Question, Buttons::YesNoDefaultNo,
                                      " Quitter?") == Reply::Yes)
            batch_->stop([this] { close(); });
        return;
    }
    closed_ = true;
    thumbnails_->stop();
    // The program ends with its main window: none of its other windows stays behind.
    preview_->close();
    viewer_->close();
    about_->close();
    if (!saveSettings()) {
        services_.toolkit.message("Les réglages n'ont pas pu être enregistrés : ils seront "
                                  "perdus à la fermeture.",
                                  Icon::Error, Buttons::Ok, "Quitter");
    }
    forms_.destroyForm(form);
}

void MainWindow::showHelp() {
    services_.shell.showHelp(helpFile_);
}

} // namespace quorvel
