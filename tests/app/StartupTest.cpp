#include "rename/NameComposer.h"
#include "support/Window.h"
#include "text/Numbers.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace quorvel::test {
namespace {

class StartupTest : public WindowTest {};

TEST_F(StartupTest, FirstRunTakesTheDefaults) {
    temp.file("program/IMG_0001.jpg");
    temp.file("program/IMG_0002.jpg");
    MainWindow& w = start();
    EXPECT_EQ(w.sourceFolders.path(), programFolder);
    EXPECT_EQ(w.targetFolders.path(), programFolder);
    EXPECT_EQ(w.sourceDrives.drive(), "/");
    // The saved generic name replaces the one proposed from the first file.
    EXPECT_EQ(w.genericName.text(), "Fichier");
    EXPECT_EQ(w.composer().variables().typedGeneric, "Fichier");
    EXPECT_EQ(w.startIndex.text(), "1");
    EXPECT_EQ(w.composer().variables().startNumber, 1);
    EXPECT_EQ(w.composer().variables().increment, 1);
    EXPECT_TRUE(w.schemeOptions[0]->value());
    EXPECT_TRUE(w.digitOptions[0]->value());
    EXPECT_EQ(w.renamePanel.tag(), "0");
    EXPECT_EQ(w.digitsGroup.tag(), "0");
    EXPECT_EQ(w.form.caption(), "Mini Quorvel Photos et Fichiers 01 2007");
    EXPECT_EQ(w.sourcePane.caption(), "Répertoire du fichier Source");
    EXPECT_EQ(w.targetPane.caption(), "Répertoire de Sauvegarde");
    EXPECT_EQ(w.thumbnailStrip.caption(), "Frame4");
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers sélectionnés = 2");
    EXPECT_FALSE(w.problemPanel.visible());
    EXPECT_EQ(w.problemPanel.geometry().left, 3750);
    EXPECT_EQ(w.problemText.caption(), "");
    EXPECT_EQ(w.sourceType.entries(),
              (std::vector<std::string>{"jpg", "gif", "bmp", "tif", "mp3", "*"}));
    EXPECT_EQ(w.targetType.entries(), w.sourceType.entries());
    EXPECT_EQ(w.stepBox.entries(), (std::vector<std::string>{"1", "2", "3", "4"}));
    EXPECT_EQ(w.sourceType.text(), "jpg");
    EXPECT_EQ(w.stepBox.text(), "1");
    EXPECT_EQ(w.helpFile(), programFolder + "/Quorvel.chm");
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(StartupTest, SavedValuesAreRestored) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    seed("drv", "/");
    seed("Dir", photos);
    seed("T1", "Vacances");
    seed("T2", "abc");
    seed("O1", "3");
    seed("O2", "2");
    MainWindow& w = start();
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.targetFolders.path(), photos);
    EXPECT_EQ(w.genericName.text(), "Vacances");
    EXPECT_EQ(w.startIndex.text(), "abc");
    EXPECT_EQ(w.composer().variables().startNumber, 0);
    // Scheme 0 at the end of every start, whatever was saved.
    EXPECT_TRUE(w.schemeOptions[0]->value());
    EXPECT_FALSE(w.schemeOptions[3]->value());
    EXPECT_TRUE(w.digitOptions[2]->value());
    EXPECT_EQ(w.digitsGroup.tag(), "2");
}

TEST_F(StartupTest, EmptyStoredValueIsReadAsEmpty) {
    seed("T1", "");
    MainWindow& w = start();
    EXPECT_EQ(w.genericName.text(), "");
    EXPECT_EQ(w.composer().variables().typedGeneric, "");
}

TEST_F(StartupTest, BadSavedValuesAreSkippedSilently) {
    const std::string photos = temp.folder("Photos");
    seed("drv", "C:\\");
    seed("Dir", temp / "gone");
    seed("O1", "7");
    seed("O2", "-1");
    const std::string before = fs.workingFolder();
    MainWindow& w = start();
    // The pane stays on the folder it showed before start-up; no width was ever chosen.
    EXPECT_EQ(w.sourceFolders.path(), before);
    EXPECT_TRUE(w.schemeOptions[0]->value());
    EXPECT_EQ(w.composer().selectedDigits(), 0);
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(StartupTest, HalfIndexRoundsToEven) {
    seed("O2", "1.5");
    MainWindow& w = start();
    EXPECT_TRUE(w.digitOptions[2]->value());
    seed("O2", "2.5");
    window.reset();
    MainWindow& again = start();
    EXPECT_TRUE(again.digitOptions[2]->value());
    EXPECT_EQ(again.digitsGroup.tag(), "2");
}

TEST_F(StartupTest, ShutDownWritesTheSixKeysInOrder) {
    const std::string photos = temp.folder("Photos");
    MainWindow& w = start();
    w.sourceFolders.setPath(photos);
    w.genericName.setText("Noël");
    w.startIndex.setText(" 40000");
    w.schemeOptions[3]->click();
    w.quitButton.click();
    EXPECT_TRUE(w.closed());
    const auto pairs = settings.writtenPairs();
    ASSERT_EQ(pairs.size(), 9u);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_EQ(settings.writes()[i].section, "Data");
    EXPECT_EQ(pairs[0], (std::pair<std::string, std::string>{"Dir", photos}));
    EXPECT_EQ(pairs[1], (std::pair<std::string, std::string>{"drv", "/"}));
    EXPECT_EQ(pairs[2], (std::pair<std::string, std::string>{"T1", "Noël"}));
    EXPECT_EQ(pairs[3], (std::pair<std::string, std::string>{"T2", " 40000"}));
    EXPECT_EQ(pairs[4], (std::pair<std::string, std::string>{"O1", "3"}));
    EXPECT_EQ(pairs[5], (std::pair<std::string, std::string>{"O2", "0"}));
    EXPECT_EQ(settings.writes()[6],
              (MemorySettingsStore::Write{"quorvel", "Options", "Exif", "0"}));
    EXPECT_EQ(settings.writes()[7],
              (MemorySettingsStore::Write{"quorvel", "Options", "Ordre", "0"}));
    EXPECT_EQ(settings.writes()[8],
              (MemorySettingsStore::Write{"quorvel", "Options", "Seconde", "0"}));
    EXPECT_TRUE(toolkit.openForms().empty());
    // The close box after "Quitter" saves nothing twice.
    w.form.onClose();
    EXPECT_EQ(settings.writes().size(), 9u);
}

TEST_F(StartupTest, CaptureDatesOptionIsOffByDefaultAndSurvivesARestart) {
    EXPECT_FALSE(start().exifDates);
    EXPECT_TRUE(window->mnuExif.checkable());
    EXPECT_FALSE(window->mnuExif.checked());
    window->mnuExif.click();
    EXPECT_TRUE(window->exifDates);
    window->close();
    EXPECT_EQ(settings.read("quorvel", "Options", "Exif"), "1");
    EXPECT_EQ(settings.read("quorvel", "Data", "Exif"), std::nullopt);
    EXPECT_TRUE(start().exifDates);
    EXPECT_TRUE(window->mnuExif.checked());
    window->mnuExif.click();
    window->close();
    EXPECT_FALSE(start().exifDates);
    // Only "1" ticks it: a value edited by hand into anything else leaves it off.
    settings.seed("quorvel", "Options", "Exif", "oui");
    EXPECT_FALSE(start().exifDates);
}

TEST_F(StartupTest, FailedSaveIsToldAndTheWindowStillCloses) {
    MainWindow& w = start();
    settings.setCommitFails(true);
    w.form.onClose();
    ASSERT_EQ(toolkit.events().size(), 1u);
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_NE(lastEvent().text.find("réglages"), std::string::npos);
    EXPECT_TRUE(toolkit.openForms().empty());
}

TEST(NumericValue, TakesTheLeadingNumber) {
    EXPECT_EQ(numericValue("12"), 12);
    EXPECT_EQ(numericValue("   7abc"), 7);
    EXPECT_EQ(numericValue("abc"), 0);
    EXPECT_EQ(numericValue(""), 0);
    EXPECT_EQ(numericValue("-3"), -3);
    EXPECT_EQ(numericValue("2.5"), 2);
    EXPECT_EQ(numericValue("3.5"), 4);
    EXPECT_EQ(numericValue("-2.5"), -2);
    EXPECT_EQ(numericValue("1e3"), 1000);
    EXPECT_EQ(numericValue(".5"), 0);
    EXPECT_EQ(numericValue("1.5e"), 2);
    EXPECT_EQ(numericValue("40000"), 40000);
    EXPECT_FALSE(fitsInt16(numericValue("40000")));
    EXPECT_TRUE(fitsInt16(numericValue("-32768")));
    EXPECT_FALSE(fitsInt16(numericValue("99999999999999999999999")));
    EXPECT_FALSE(fitsInt16(numericValue("-1e300")));
}

// Everything a user or the scenario runner can see of the main window, a line a control.
std::vector<std::string> everythingShown(MainWindow& w) {
    std::vector<std::string> lines;
    for (const auto& control : w.form.controls()) {
        std::string line = control->name() + "|" + control->caption() + "|" + control->tag() +
                           (control->visible() ? "|shown" : "|hidden") +
                           (control->inert() ? "|inert" : "");
        if (const auto* text = dynamic_cast<const TextBox*>(control.get()))
            line += "|" + text->text();
        if (const auto* combo = dynamic_cast<const ComboBox*>(control.get()))
            line += "|" + combo->text() + "|" + std::to_string(combo->entries().size());
        if (const auto* option = dynamic_cast<const OptionButton*>(control.get()))
            line += option->value() ? "|on" : "|off";
        if (const auto* folders = dynamic_cast<const FolderList*>(control.get()))
            line += "|" + folders->path();
        if (const auto* files = dynamic_cast<const FileList*>(control.get()))
            line += "|" + files->path() + "|" + std::to_string(files->count());
        lines.push_back(line);
    }
    for (const char* name : {"Numero", "Pas", "Rang", "Exces", "Fixe", "Flag", "Nom", "M", "N",
                             "Frang", "sChTmp", "OldRep", "NN", "MM", "Ext", "F1", "F2"}) {
        const auto value = w.variable(name);
        const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
        const auto* number = value ? std::get_if<std::int64_t>(&*value) : nullptr;
        lines.push_back(std::string(name) + "=" +
                        (text     ? *text
                         : number ? std::to_string(*number)
                                  : "?"));
    }
    return lines;
}

// The program shows its window before it reads a large saved folder; the window it ends with
// is the one a start-up in one step gives.
TEST_F(StartupTest, AWindowShownBeforeItsFolderEndsAsOneStartedAtOnce) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"Photos/IMG_0002.jpg", "Photos/IMG_0001.jpg", "Photos/notes.txt"})
        temp.file(name);
    seed("Dir", photos);
    seed("T1", "Noël");
    seed("O1", "2");
    seed("O2", "1");
    const std::vector<std::string> atOnce = everythingShown(start());
    window.reset();

    const ProgramInfo program{programFolder, "quorvel", dataFolder};
    MainWindow w(Services{toolkit, fs, settings, pictures, shell, clock, program, &captureDates},
                 toolkit);
    w.prepare();
    // What shows first: the saved texts and choices, the lists still empty.
    EXPECT_EQ(w.genericName.text(), "Noël");
    EXPECT_EQ(w.sourceFiles.count(), 0);
    EXPECT_EQ(w.sourceType.entries().size(), 6u);
    w.openFolders();
    EXPECT_EQ(everythingShown(w), atOnce);
    EXPECT_EQ(w.sourceFiles.count(), 2);
    EXPECT_TRUE(toolkit.events().empty());
}

} // namespace
} // namespace quorvel::test
