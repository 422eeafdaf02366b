#include "app/MainWindow.h"

#include "app/AboutBox.h"
#include "app/OffsetDialog.h"
#include "batch/FileBatch.h"
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
      sourcePane(frame(form, "Frame1", &form, {240, 120, 3255, 6825}, "Frame1")),
      targetPane(frame(form, "Frame2", &form, {7560, 120, 3255, 6855}, "Frame2")),
      renamePanel(
          frame(form, "Frame3", &form, {3570, 120, 3900, 5880}, "Renommer un lot de fichiers")),
      thumbnailStrip(frame(form, "Frame4", &form, {10900, 60, 2400, 6885}, "Frame4")),
      digitsGroup(frame(form, "Frame8", &renamePanel, {2400, 1080, 1335, 1095}, "Sélecteur")),
      problemPanel(frame(form, "FraPro", &form, {3570, 120, 3900, 5880}, "Problème !")),
      sourceDrives(list<DriveList>(form, "Drive1", &sourcePane, {120, 720, 3000, 315},
                                   "Drive source", sourceColour, drives_)),
      sourceFolders(list<FolderList>(form, "Dir1", &sourcePane, {120, 1080, 3000, 1890},
                                     "Répertoire source", sourceColour, drives_)),
      sourceFiles(list<FileList>(form, "File1", &sourcePane, {120, 3045, 3000, 3405},
                                 "Fichiers source à convertir", sourceColour, services.fs)),
      sourceStatus(statusBox(form, "Text3", &sourcePane, {120, 6480, 3000, 285}, sourceColour)),
      targetDrives(list<DriveList>(form, "Drive2", &targetPane, {120, 720, 3000, 315},
                                   "Drive de destination", targetColour, drives_)),
      targetFolders(list<FolderList>(form, "Dir2", &targetPane, {120, 1080, 3000, 1890},
                                     "Répertoire de destination", targetColour, drives_)),
      targetFiles(list<FileList>(form, "File2", &targetPane, {120, 3000, 3000, 3405},
                                 "Fichiers renommés", targetColour, services.fs)),
      targetStatus(statusBox(form, "Text4", &targetPane, {120, 6480, 3000, 285}, targetColour)),
      genericLabel(
          make<Label>(form, "Label7", &renamePanel, {120, 240, 3600, 225}, "Nom générique")),
      genericHint(make<Label>(form, "Label6", &renamePanel, {120, 465, 3600, 225},
                              "peut inclure un _ ou un espace")),
      genericName(make<TextBox>(form, "Text1", &renamePanel, {120, 720, 3600, 315}, {},
                                "Nouveau nom des fichiers")),
      startLabel(
          make<Label>(form, "Label3", &renamePanel, {120, 1080, 1140, 225}, "Index de départ")),
      startIndex(make<TextBox>(form, "Text2", &renamePanel, {120, 1320, 1020, 315}, {},
                               "Chiffre de départ")),
      stepLabel(make<Label>(form, "Label2", &renamePanel, {1320, 1080, 960, 225}, "Incrément",
                            "Espace dans la numérotation")),
      stepBox(
          make<ComboBox>(form, "Combo2", &renamePanel, {1320, 1320, 900, 315}, {}, "tous les ...")),
      sourceTypeLabel(
          make<Label>(form, "Label1", &renamePanel, {120, 2175, 1500, 210}, "Extension Source")),
      sourceType(make<ComboBox>(form, "Combo1", &renamePanel, {120, 2385, 1500, 315}, {},
                                "Tri des fichiers")),
      targetTypeLabel(
          make<Label>(form, "Label11", &renamePanel, {1800, 2175, 1500, 210}, "Extension Cible")),
      targetType(make<ComboBox>(form, "Combo3", &renamePanel, {1800, 2385, 1500, 315})),
      addTypeButton(form.add<PictureButton>("Comm3", &renamePanel, Geometry{3420, 2400, 285, 285},
                                            "add-type")),
      selectionCount(statusBox(form, "Text6", &renamePanel, {120, 4995, 3660, 285}, sourceColour,
                               "Nombre de fichiers sélectionnés")),
      renameButton(make<CommandButton>(form, "Command1", &renamePanel, {120, 5385, 3660, 375},
                                       "Renommer !", "Démarrer la conversion")),
      problemText(make<Label>(form, "Label5", &problemPanel, {240, 1080, 3420, 720}, "Label5")),
      noWarningBox(make<CheckBox>(form, "Check1", &problemPanel, {240, 2160, 3420, 315},
                                  "Continuer sans m'avertir")),
      problemOk(make<CommandButton>(form, "Command2", &problemPanel, {1200, 2880, 1500, 495}, "OK",
                                    "Continuer sans renommer")),
      stopButton(make<CommandButton>(form, "cmdArreter", &renamePanel, {120, 5385, 3660, 375},
                                     "Arrêter", "Arrêter le lot après le fichier en cours")),
      hiddenPicture(make<Image>(form, "Image1", &form, {50000, 0, 1740, 1305})),
      quitButton(make<CommandButton>(form, "Command3", &form, {3600, 6120, 1365, 735}, "Quitter",
                                     "Quitter")),
      aboutButton(make<CommandButton>(form, "APropos", &form, {5400, 6240, 1935, 495}, "A Propos")),
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
    setUpControls();
    makeSubsystems(journal);
    wireCommands();
}

void MainWindow::setUpControls() {
    setDesignValues();
    makeRows();
    showWorkingFolder();
}

MainWindow::~MainWindow() = default;

void MainWindow::wireCommands() {
    quitButton.onClick = [this] { close(); };
    // The menu's items do what the buttons and keys of the first window do.
    mnuQuitter.onClick = [this] { quitButton.click(); };
    wireOptions();
    mnuAideF1.onClick = [this] { showHelp(); };
    mnuAPropos.onClick = [this] { aboutButton.click(); };
    form.onClose = [this] { close(); };
}

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
    problemPanel.setVisible(false);
    addTypeButton.setTooltip("Introduire une nouvelle extension");
    sourceType.setText("jpg");
    targetType.setText("jpg");
    stepBox.setText("1");
    genericName.setText("_Fichier");
    startIndex.setText("1");
    thumbnailStrip.setBackColor(targetColour);
    // The frames' captions are placeholders and the combo boxes' labels read as headings:
    // a screen reader says what each one holds.
    sourcePane.setAccessibleName("Volet source");
    targetPane.setAccessibleName("Volet cible");
    thumbnailStrip.setAccessibleName("Vignettes");
    digitsGroup.setAccessibleName("Nombre de chiffres");
    sourceDrives.setAccessibleName("Lecteur source");
    targetDrives.setAccessibleName("Lecteur cible");
    sourceType.setAccessibleName("Type source");
    targetType.setAccessibleName("Extension cible");
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
        sourceButtons[i] = &form.add<PictureButton>("Comm1_" + std::to_string(i), &sourcePane,
                                                    Geometry{120 + (i - 1) * 300, 360, 255, 255},
                                                    sourceIcons[i - 1]);
        sourceButtons[i]->setTooltip(sourceTips[i - 1]);
    }
    for (int i = 1; i <= 6; ++i) {
        targetButtons[i] = &form.add<PictureButton>("Comm2_" + std::to_string(i), &targetPane,
                                                    Geometry{120 + (i - 1) * 300, 360, 255, 255},
                                                    sourceIcons[i - 1]);
        targetButtons[i]->setTooltip(targetTips[i - 1]);
    }
    static const char* const widthCaptions[] = {"2 chiffres", "3 chiffres", "4 chiffres"};
    static const char* const widthTips[] = {"de 0 à 99", "de 100 à 999", "de 1000 à 9999"};
    for (int i = 0; i < 3; ++i) {
        digitOptions[i] =
            &make<OptionButton>(form, optionName("Option2", i), &digitsGroup,
                                {120, 240 + i * 270, 1140, 255}, widthCaptions[i], widthTips[i]);
    }
    for (int i = 0; i < 5; ++i) {
        schemeOptions[i] = &make<OptionButton>(form, optionName("Option1", i), &renamePanel,
                                               {120, 3120 + i * 390, 3675, 315});
    }
    for (int i = 0; i < 4; ++i) {
        const int top = 360 + i * 1680;
        stripNames[i] =
            &make<Label>(form, optionName("NomTN", i), &thumbnailStrip, {90, top - 240, 2235, 210});
        stripPictures[i] =
            &make<Image>(form, optionName("TN", i), &thumbnailStrip, {330, top, 1740, 1305});
    }
}

// Before start-up the panes show the current drive and the working folder.
void MainWindow::showWorkingFolder() {
    const std::string cwd = services_.fs.workingFolder();
    if (const auto drive = drives_.driveOf(cwd)) {
        sourceDrives.setDrive(*drive);
        targetDrives.setDrive(*drive);
    }
    if (sourceFolders.setPath(cwd) == 0) {
        targetFolders.setPath(cwd);
        sourceFiles.setPath(cwd);
        targetFiles.setPath(cwd);
    }
}

// Each subsystem is given the controls it reads and writes and the services it calls, and
// wires its own reactions; what one subsystem asks of another goes through here.
void MainWindow::makeSubsystems(Journal* journal) {
    makeRenamePanel();
    makeFileCommands();
    makePictures();
    makeUndo(journal);
    makeFollowers();
}

void MainWindow::makeRenamePanel() {
    composer_ = std::make_unique<NameComposer>(ComposerControls{.genericName = genericName,
                                                                .startIndex = startIndex,
                                                                .stepBox = stepBox,
                                                                .targetType = targetType,
                                                                .renamePanel = renamePanel,
                                                                .digitsGroup = digitsGroup,
                                                                .schemeOptions = schemeOptions,
                                                                .digitOptions = digitOptions,
                                                                .sourceFiles = sourceFiles},
                                               services_.clock);
    panes_ = std::make_unique<Panes>(PaneControls{.sourceDrives = sourceDrives,
                                                  .sourceFolders = sourceFolders,
                                                  .sourceFiles = sourceFiles,
                                                  .sourceStatus = sourceStatus,
                                                  .sourceUp = *sourceButtons[1],
                                                  .targetDrives = targetDrives,
                                                  .targetFolders = targetFolders,
                                                  .targetFiles = targetFiles,
                                                  .targetStatus = targetStatus,
                                                  .targetUp = *targetButtons[1],
                                                  .sourceType = sourceType,
                                                  .targetType = targetType,
                                                  .genericName = genericName,
                                                  .selectionCount = selectionCount},
                                     PaneReactions{[this] { composer_->SelectNumberWidth(); },
                                                   [this] { composer_->UpdateNamePreview(); }});
    batch_ = std::make_unique<BatchRename>(RunControls{.sourceFiles = sourceFiles,
                                                       .targetFiles = targetFiles,
                                                       .startIndex = startIndex,
                                                       .targetType = targetType,
                                                       .renameButton = renameButton,
                                                       .problemPanel = problemPanel,
                                                       .problemText = problemText,
                                                       .noWarningBox = noWarningBox,
                                                       .problemOk = problemOk,
                                                       .stopButton = stopButton,
                                                       .exifDates = exifDates,
                                                       .capture = captureOptions},
                                           *composer_, *panes_, services_,
                                           [this](bool running) { holdStill(running); });
    stopButton.cancel = true;
}

void MainWindow::makeFileCommands() {
    Toolkit& toolkit = services_.toolkit;
    FileSystem& fs = services_.fs;
    fileBatch_ = std::make_unique<FileBatch>(toolkit, fs, [this](bool running) {
        holdStill(running);
        stopButton.setVisible(running);
    });
    // "Arrêter" and Escape stop whichever batch runs.
    stopButton.onClick = [this] {
        if (batch_->running())
            batch_->stop();
        else
            fileBatch_->stop();
    };
    edits_ = std::make_unique<NameEdits>(
        EditControls{.cutRight = *sourceButtons[10],
                     .cutLeft = *sourceButtons[8],
                     .lengthenLeft = *sourceButtons[9],
                     .copyToTarget = *sourceButtons[7],
                     .addTypeButton = addTypeButton,
                     .sourceFiles = sourceFiles,
                     .targetFiles = targetFiles,
                     .sourceType = sourceType,
                     .targetType = targetType},
        EditServices{toolkit, fs, services_.clock, *panes_, *composer_, *fileBatch_});
    folders_ = std::make_unique<FolderCommands>(FolderControls{.sourceFolders = sourceFolders,
                                                               .sourceCreate = *sourceButtons[2],
                                                               .sourceRename = *sourceButtons[3],
                                                               .sourceDelete = *sourceButtons[5],
                                                               .targetFolders = targetFolders,
                                                               .targetCreate = *targetButtons[2],
                                                               .targetRename = *targetButtons[3],
                                                               .targetDelete = *targetButtons[5]},
                                                toolkit, fs, services_.clock, *fileBatch_);
    deletion_ = std::make_unique<FileDeletion>(DeletionControls{.sourceFiles = sourceFiles,
                                                                .sourceDelete = *sourceButtons[4],
                                                                .targetFiles = targetFiles,
                                                                .targetDelete = *targetButtons[4],
                                                                .selectionCount = selectionCount},
                                               *panes_, toolkit, fs);
}

void MainWindow::makePictures() {
    Toolkit& toolkit = services_.toolkit;
    FileSystem& fs = services_.fs;
    viewer_ = std::make_unique<PhotoViewer>(forms_, toolkit, services_.pictures, fs);
    thumbnails_ = std::make_unique<Thumbnails>(StripControls{.sourceFiles = sourceFiles,
                                                             .sourceView = *sourceButtons[6],
                                                             .targetFiles = targetFiles,
                                                             .targetView = *targetButtons[6],
                                                             .stripPictures = stripPictures,
                                                             .stripNames = stripNames},
                                               *viewer_, toolkit, services_.pictures);
    about_ = std::make_unique<AboutBox>(aboutButton, forms_, services_.shell, services_.program);
}

void MainWindow::makeUndo(Journal* journal) {
    Toolkit& toolkit = services_.toolkit;
    FileSystem& fs = services_.fs;
    mnuAnnuler.setEnabled(false);
    if (journal != nullptr) {
        undo_ = std::make_unique<UndoCommand>(
            UndoControls{.mnuAnnuler = mnuAnnuler,
                         .sourceFolders = sourceFolders,
                         .targetFolders = targetFolders,
                         .sourceFiles = sourceFiles,
                         .targetFiles = targetFiles},
            UndoServices{toolkit, fs, *journal, *panes_, [this] { return batchRunning(); }});
        batch_->setObserver(undo_.get());
        edits_->setObserver(undo_.get());
        folders_->setObserver(undo_.get());
    }
}

void MainWindow::makeFollowers() {
    Toolkit& toolkit = services_.toolkit;
    FileSystem& fs = services_.fs;
    preview_ = std::make_unique<Preview>(
        PreviewControls{.mnuApercu = mnuApercu,
                        .sourceFiles = sourceFiles,
                        .targetFiles = targetFiles,
                        .genericName = genericName,
                        .startIndex = startIndex,
                        .stepBox = stepBox,
                        .targetType = targetType,
                        .schemeOptions = schemeOptions,
                        .digitOptions = digitOptions,
                        .window = form},
        PreviewServices{forms_, toolkit, fs, [this] { return batch_->inputs(); }});
    offsets_ =
        std::make_unique<OffsetDialog>(mnuDecalage, sourceFiles, captureOptions,
                                       OffsetDialogServices{forms_, toolkit, services_.captureDates,
                                                            [this] { preview_->runChanged(); }});
    follower_ =
        std::make_unique<DiskFollower>(sourceFiles, targetFiles, *panes_, services_.folderWatcher,
                                       [this] { return batchRunning(); });
}

void MainWindow::startUp() {
    restoreFolder();
    restoreSettings();
    fillChoices();
    sourceFolders.openDrive(sourceDrives.drive());
    targetFolders.openDrive(targetDrives.drive());
    settle();
}

void MainWindow::prepare() {
    restoreSettings();
    fillChoices();
    settle();
}

// Reading the folders undoes some of what the settings set (the generic name, the scheme),
// so the settings are applied again after them, as a start-up in one step would.
void MainWindow::openFolders() {
    restoreFolder();
    restoreSettings();
    sourceFolders.openDrive(sourceDrives.drive());
    targetFolders.openDrive(targetDrives.drive());
    settle();
}

void MainWindow::fillChoices() {
    sourcePane.setCaption("Répertoire du fichier Source");
    targetPane.setCaption("Répertoire de Sauvegarde");
    for (const char* type : {"jpg", "gif", "bmp", "tif", "mp3", "*"})
        sourceType.addItem(type);
    for (const char* type : {"jpg", "gif", "bmp", "tif", "mp3", "*"})
        targetType.addItem(type);
    for (const char* step : {"1", "2", "3", "4"})
        stepBox.addItem(step);
}

void MainWindow::settle() {
    composer_->takeTypedValues();
    form.setCaption(windowTitle);
    problemPanel.setLeft(3750);
    problemText.setCaption("");
    schemeOptions[0]->select();
    helpFile_ = joinPath(services_.program.filesFolder(), helpFileName);
    if (undo_)
        undo_->refresh();
}

void MainWindow::holdStill(bool running) {
    for (Control* control : std::initializer_list<Control*>{
             &sourceDrives, &sourceFolders, &sourceFiles, &sourceType, &targetDrives,
             &targetFolders, &targetFiles, &genericName, &startIndex, &stepBox, &targetType,
             &addTypeButton, &renameButton, &mnuAnnuler})
        control->setInert(running);
    for (auto* option : schemeOptions)
        option->setInert(running);
    for (auto* option : digitOptions)
        option->setInert(running);
    // Every picture button changes the files or the folders shown, but the one that views.
    for (int i = 1; i <= 10; ++i)
        sourceButtons[i]->setInert(running && i != 6);
    for (int i = 1; i <= 6; ++i)
        targetButtons[i]->setInert(running && i != 6);
}

bool MainWindow::batchRunning() const {
    return batch_->running() || fileBatch_->running();
}

void MainWindow::close() {
    if (closed_)
        return;
    if (batchRunning()) {
        if (services_.toolkit.message("Un lot est en cours : l'arrêter et quitter ?",
                                      Icon::Question, Buttons::YesNoDefaultNo,
                                      " Quitter?") != Reply::Yes)
            return;
        if (batch_->running())
            batch_->stop([this] { close(); });
        else
            fileBatch_->stop([this] { close(); });
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
