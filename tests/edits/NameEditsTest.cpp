#include "edits/NameEdits.h"

#include "batch/Batch.h"
#include "support/Window.h"

#include <cerrno>

namespace quorvel::test {
namespace {

using Kind = ToolkitEvent::Kind;

class NameEditsTest : public WindowTest {
protected:
    // A source folder holding the files; the target pane follows it.
    MainWindow& startIn(const std::string& folder, const std::vector<std::string>& files) {
        const std::string path = temp.folder(folder);
        for (const std::string& name : files)
            temp.file(folder + "/" + name, "data of " + name);
        MainWindow& w = start();
        openSource(path);
        return w;
    }
    // The target pane moved to a folder of its own.
    std::string targetIn(const std::string& folder) {
        const std::string path = temp.folder(folder);
        EXPECT_EQ(window->targetFolders.setPath(path), 0);
        return path;
    }
    // The user types `text` into the input box, answers the question and clicks.
    void edit(Control& button, const std::string& text, bool yes = true) {
        toolkit.queueInput(text);
        toolkit.queueAnswer(yes);
        button.click();
        EXPECT_FALSE(toolkit.answersLeft());
    }
    void copy(bool yes = true) {
        toolkit.queueAnswer(yes);
        window->sourceButtons[7]->click();
        EXPECT_FALSE(toolkit.answersLeft());
    }
    // The one message of the edit (no question box counted).
    ToolkitEvent onlyMessage() {
        std::vector<ToolkitEvent> found;
        for (const ToolkitEvent& event : toolkit.events()) {
            if (event.kind == Kind::Message)
                found.push_back(event);
        }
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? ToolkitEvent{} : found.front();
    }
    // A refused input: its message after `beeps` beeps, no question, nothing changed on disk.
    void expectRefused(const std::string& folder, const std::vector<std::string>& before,
                       const std::string& text, int beeps = 0) {
        const ToolkitEvent message = onlyMessage();
        EXPECT_EQ(toolkit.beeps(), beeps);
        EXPECT_EQ(toolkit.events().back().kind, Kind::Message);
        EXPECT_EQ(message.text, text);
        EXPECT_EQ(message.icon, Icon::Error);
        EXPECT_EQ(message.title, "Renommer");
        EXPECT_EQ(namesIn(folder), before);
        EXPECT_FALSE(toolkit.busy());
        toolkit.clearEvents();
    }
    Control& right() { return *window->sourceButtons[10]; }
    Control& leftCut() { return *window->sourceButtons[8]; }
    Control& lengthen() { return *window->sourceButtons[9]; }
};

TEST_F(NameEditsTest, ShortenOnTheRightAsksThenRenamesEveryFileInPlace) {
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "IMG_5678.jpg", "notes.txt"});
    bool busyAtResult = false;
    toolkit.onEvent = [&](const ToolkitEvent& event) {
        if (event.kind == Kind::Message)
            busyAtResult = toolkit.busy();
    };
    edit(right(), "IMG_12.jpg");

    const auto& events = toolkit.events();
    ASSERT_EQ(events.size(), 9u);
    EXPECT_EQ(events[0].kind, Kind::Input);
    EXPECT_EQ(events[0].title, "Raccourcir");
    EXPECT_EQ(events[0].text, "Raccourcir par la droite\r\nEffacer la partie en trop");
    EXPECT_EQ(events[0].defaultText, "IMG_1234.jpg");
    for (int i : {1, 2, 3, 5, 6, 7})
        EXPECT_EQ(events[static_cast<std::size_t>(i)].kind, Kind::Beep) << i;
    EXPECT_EQ(events[4].kind, Kind::Question);
    EXPECT_EQ(events[4].title, " Renommer les fichiers?");
    EXPECT_EQ(events[4].icon, Icon::Question);
    EXPECT_EQ(events[4].text,
              "Renommer les fichiers du type :\r\nIMG_1234.jpg\r\nen\r\nIMG_12.jpg");
    EXPECT_EQ(events[8].kind, Kind::Message);
    EXPECT_EQ(events[8].title, "Renommer");
    EXPECT_EQ(events[8].icon, Icon::None);
    EXPECT_EQ(events[8].text, "2 fichiers ont été renommés sur les 2 présents.");
    EXPECT_TRUE(busyAtResult);
    EXPECT_FALSE(toolkit.busy());

    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"IMG_12.jpg", "IMG_56.jpg", "notes.txt"}));
    EXPECT_EQ(readFile(temp / "Photos/IMG_56.jpg"), "data of IMG_5678.jpg");
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"IMG_12.jpg", "IMG_56.jpg"}));
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
    EXPECT_EQ(w.edits().variables().cutExcess, 2);
    EXPECT_EQ(*w.edits().variables().proposedText, "IMG_1234.jpg");
}

TEST_F(NameEditsTest, ShortenOnTheLeftTakesTheSelectionAndCountsCharacters) {
    // "Û" sorts as "u": after the IMG rows.
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "Ûté_01.jpg", "IMG_9999.jpg"});
    ASSERT_EQ(w.sourceFiles.rows(),
              (std::vector<std::string>{"IMG_1234.jpg", "IMG_9999.jpg", "Ûté_01.jpg"}));
    w.sourceFiles.toggle(0);
    w.sourceFiles.toggle(2);
    toolkit.clearEvents();
    // The sample is the selected row with the highest index; only the length counts.
    edit(leftCut(), "é_01.jpg");
    EXPECT_EQ(toolkit.events().front().text,
              "Raccourcir par la gauche\r\nEffacer la partie en trop");
    EXPECT_EQ(toolkit.events().front().defaultText, "Ûté_01.jpg");
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Renommer les fichiers du type :\r\nÛté_01.jpg\r\nen\r\né_01.jpg",
                           "2 fichiers ont été renommés sur les 3 présents."}));
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"G_1234.jpg", "IMG_9999.jpg", "é_01.jpg"}));
}

TEST_F(NameEditsTest, SampleTypedBackOnlyReplacesTheExtension) {
    MainWindow& w = startIn("Photos", {"DSC01.JPG"});
    edit(right(), "DSC01.JPG");
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Renommer les fichiers du type :\r\nDSC01.JPG\r\nen\r\nDSC01.jpg",
                           "1 fichiers ont été renommés sur les 1 présents."}));
    EXPECT_EQ(namesIn(temp / "Photos"), (std::vector<std::string>{"DSC01.jpg"}));
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"DSC01.jpg"}));
}

TEST_F(NameEditsTest, LengthenPutsTheLeadingCharactersInFront) {
    MainWindow& w = startIn("Photos", {"IMG_1234.JPG", "IMG_5678.jpg"});
    edit(lengthen(), "2007_IMG_1234.JPG");
    const ToolkitEvent& input = toolkit.events().front();
    EXPECT_EQ(input.title, "Rallonger");
    EXPECT_EQ(input.text, "Rallonger par la gauche\r\nTaper le texte à rajouter à gauche du "
                          "texte générique existant :");
    EXPECT_EQ(input.defaultText, "IMG_1234.JPG");
    EXPECT_EQ(toolkit.beeps(), 6);
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"Renommer les fichiers du type :\r\nIMG_1234.JPG\r\nen\r\n"
                                        "2007_IMG_1234.jpg",
                                        "2 fichiers ont été renommés sur les 2 présents."}));
    EXPECT_EQ(w.edits().variables().typedPrefix, "2007_");
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"2007_IMG_1234.jpg", "2007_IMG_5678.jpg"}));

    // Text typed in the middle still gives the leading characters as the prefix.
    w.sourceFiles.toggle(0);
    toolkit.clearEvents();
    edit(lengthen(), "2007_IMG_ab_1234.jpg");
    EXPECT_EQ(w.edits().variables().typedPrefix, "200");
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"2002007_IMG_1234.jpg", "2007_IMG_5678.jpg"}));
}

TEST_F(NameEditsTest, CopyToTargetChangesTheTypeInPlaceOrCopiesElsewhere) {
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "IMG_5678.jpg"});
    w.targetType.pick("bmp");
    toolkit.clearEvents();
    copy();
    ASSERT_EQ(toolkit.events().size(), 8u);
    EXPECT_EQ(toolkit.events()[3].kind, Kind::Question);
    EXPECT_EQ(toolkit.events()[3].title, " Recopier les fichiers?");
    EXPECT_EQ(toolkit.events()[3].icon, Icon::Question);
    EXPECT_EQ(toolkit.beeps(), 6);
    // The question names the folder the files go to.
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Recopier les fichiers\r\nvers répertoire et extension cible\r\n si "
                           "souhaité : " +
                               (temp / "Photos"),
                           "2 fichiers ont été renommés sur les 2 présents."}));
    EXPECT_EQ(namesIn(temp / "Photos"), (std::vector<std::string>{"IMG_1234.bmp", "IMG_5678.bmp"}));
    EXPECT_TRUE(w.sourceFiles.rows().empty());
    EXPECT_EQ(w.targetFiles.rows(), (std::vector<std::string>{"IMG_1234.bmp", "IMG_5678.bmp"}));
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type bmp");

    w.sourceType.pick("bmp");
    w.targetType.pick("gif");
    const std::string sorted = targetIn("Tri");
    w.sourceFiles.toggle(1);
    toolkit.clearEvents();
    copy();
    const std::vector<std::string> shown = texts();
    EXPECT_EQ(shown.front(), "Recopier les fichiers\r\nvers répertoire et extension cible\r\n si "
                             "souhaité : " +
                                 sorted);
    EXPECT_EQ(shown.back(), "1 fichiers ont été renommés sur les 2 présents.");
    EXPECT_EQ(namesIn(temp / "Photos"), (std::vector<std::string>{"IMG_1234.bmp", "IMG_5678.bmp"}));
    EXPECT_EQ(namesIn(sorted), (std::vector<std::string>{"IMG_5678.gif"}));
    EXPECT_EQ(readFile(sorted + "/IMG_5678.gif"), "data of IMG_5678.jpg");
    EXPECT_EQ(w.sourceFiles.rows().size(), 2u);
    EXPECT_EQ(w.targetFiles.rows(), (std::vector<std::string>{"IMG_5678.gif"}));
    EXPECT_EQ(w.targetStatus.text(), "    1 fichiers de type gif");
}

TEST_F(NameEditsTest, EveryEditCopiesWhenThePanesShowDifferentFolders) {
    struct Case {
        const char* name;
        int button;
        const char* typed;
        const char* expected;
    };
    const Case cases[] = {{"right", 10, "IMG_12.jpg", "IMG_12.jpg"},
                          {"left", 8, "IMG_12.jpg", "G_1234.jpg"},
                          {"lengthen", 9, "2007_IMG_1234.jpg", "2007_IMG_1234.jpg"},
                          {"copy", 7, "", "IMG_1234.jpg"}};
    MainWindow& w = start();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string source = std::string(c.name) + "/src";
        temp.file(source + "/IMG_1234.jpg", "photo");
        openSource(temp / source);
        const std::string target = targetIn(std::string(c.name) + "/dst");
        toolkit.clearEvents();
        if (c.button == 7)
            copy();
        else
            edit(*w.sourceButtons[static_cast<std::size_t>(c.button)], c.typed);
        EXPECT_EQ(texts().back(), "1 fichiers ont été renommés sur les 1 présents.");
        EXPECT_EQ(namesIn(temp / source), (std::vector<std::string>{"IMG_1234.jpg"}));
        EXPECT_EQ(readFile(temp / source + "/IMG_1234.jpg"), "photo");
        EXPECT_EQ(namesIn(target), (std::vector<std::string>{c.expected}));
        EXPECT_EQ(readFile(target + "/" + c.expected), "photo");
        EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"IMG_1234.jpg"}));
        EXPECT_EQ(w.targetFiles.rows(), (std::vector<std::string>{c.expected}));
    }
}

TEST_F(NameEditsTest, AFailedFileIsNotCountedAndTheWalkGoesOn) {
    MainWindow& w = startIn("Photos", {"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"});
    fs.failNth(FsOp::Rename, 2, EACCES);
    edit(lengthen(), "x_IMG_1.jpg");
    EXPECT_EQ(onlyMessage().text, "2 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                                  "IMG_2.jpg : accès refusé");
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"IMG_2.jpg", "x_IMG_1.jpg", "x_IMG_3.jpg"}));
    EXPECT_EQ(fs.calls(FsOp::Rename), 3);

    const std::string target = targetIn("Tri");
    fs.failNth(FsOp::Copy, 2, ENOSPC);
    toolkit.clearEvents();
    copy();
    EXPECT_EQ(onlyMessage().text, "2 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                                  "x_IMG_1.jpg : disque plein");
    EXPECT_EQ(namesIn(target), (std::vector<std::string>{"IMG_2.jpg", "x_IMG_3.jpg"}));
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
    EXPECT_FALSE(toolkit.busy());
}

TEST_F(NameEditsTest, AnExistingNameIsNeverReplaced) {
    startIn("Photos", {"AIMG.jpg", "BIMG.jpg", "IMG_1234.jpg"});
    window->sourceFiles.toggle(0);
    window->sourceFiles.toggle(1);
    toolkit.clearEvents();
    // Both selected names lose their first character and meet on one name.
    edit(leftCut(), "IMG.jpg");
    EXPECT_EQ(onlyMessage().text, "1 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                                  "BIMG.jpg : un fichier de ce nom existe déjà");
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"BIMG.jpg", "IMG.jpg", "IMG_1234.jpg"}));
    EXPECT_EQ(readFile(temp / "Photos/IMG.jpg"), "data of AIMG.jpg");

    const std::string target = targetIn("Tri");
    temp.file("Tri/IMG_12.jpg", "older");
    window->sourceFiles.toggle(2);
    toolkit.clearEvents();
    edit(right(), "IMG_12.jpg");
    EXPECT_EQ(onlyMessage().text, "0 fichiers ont été renommés sur les 3 présents.\r\n\r\n"
                                  "IMG_1234.jpg : un fichier de ce nom existe déjà");
    EXPECT_EQ(readFile(target + "/IMG_12.jpg"), "older");
    EXPECT_EQ(namesIn(target), (std::vector<std::string>{"IMG_12.jpg"}));
}

TEST_F(NameEditsTest, ANameThatAlreadyFitsCountsAsDone) {
    startIn("Photos", {"IMG.jpg", "DSC.JPG"});
    copy();
    EXPECT_EQ(onlyMessage().text, "2 fichiers ont été renommés sur les 2 présents.");
    EXPECT_EQ(fs.calls(FsOp::Rename), 1);
    EXPECT_EQ(namesIn(temp / "Photos"), (std::vector<std::string>{"DSC.jpg", "IMG.jpg"}));
}

TEST_F(NameEditsTest, RefusedInputChangesNothing) {
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "ZZ.jpg"});
    const std::string photos = temp / "Photos";
    const std::vector<std::string> before = namesIn(photos);

    for (Control* button : {&right(), &leftCut(), &lengthen()}) {
        toolkit.queueInput("");
        button->click();
        expectRefused(photos, before, "Le Fichier n'est pas défini");
    }

    toolkit.queueInput("IMG_1234.jpgx");
    right().click();
    expectRefused(photos, before,
                  "Le texte tapé est plus long que le nom proposé : pour raccourcir, effacez des "
                  "caractères du nom proposé.\r\nAucun fichier n'a été modifié.");

    // Too short for the question to be built: refused where the question would come.
    toolkit.queueInput("jp");
    leftCut().click();
    expectRefused(photos, before,
                  "Le texte tapé est plus court que l'extension « jpg » : les nouveaux noms ne "
                  "peuvent pas être construits.\r\nAucun fichier n'a été modifié.",
                  3);

    toolkit.queueInput("IMG_1234.jp");
    lengthen().click();
    expectRefused(photos, before,
                  "Le texte tapé est plus court que le nom proposé : pour rallonger, tapez le "
                  "texte à rajouter devant le nom proposé.\r\nAucun fichier n'a été modifié.");

    const std::string prefixProblem =
        "Le texte à rajouter ne peut pas contenir les caractères « / », « * », « ? » ni de "
        "caractère nul.\r\nAucun fichier n'a été modifié.";
    for (const std::string& prefix :
         std::vector<std::string>{"a/", "*", "?", std::string("a\0", 2)}) {
        toolkit.queueInput(prefix + "IMG_1234.jpg");
        lengthen().click();
        expectRefused(photos, before, prefixProblem);
    }
    EXPECT_EQ(w.edits().variables().typedPrefix, "");

    // No at the question: nothing changed and nothing more said. The question's last line
    // loses the source type's length, not the target type's.
    w.targetType.pick("*");
    edit(right(), "IMG_12.jpg", false);
    EXPECT_EQ(toolkit.events().back().kind, Kind::Question);
    EXPECT_EQ(toolkit.events().back().text,
              "Renommer les fichiers du type :\r\nIMG_1234.jpg\r\nen\r\nIMG_12.*");
    EXPECT_EQ(namesIn(photos), before);
    EXPECT_FALSE(toolkit.busy());
}

TEST_F(NameEditsTest, ANameThatCannotBeBuiltStopsTheEditBeforeAnyFile) {
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "ZZ.jpg", "ZZZZZZZ.jpg"});
    const std::string photos = temp / "Photos";
    const std::vector<std::string> before = namesIn(photos);
    const auto refused = [&](const std::string& text) {
        const ToolkitEvent message = toolkit.events().back();
        EXPECT_EQ(message.kind, Kind::Message);
        EXPECT_EQ(message.text, text);
        EXPECT_EQ(message.icon, Icon::Error);
        EXPECT_EQ(message.title, "Renommer");
        EXPECT_EQ(namesIn(photos), before);
        EXPECT_EQ(fs.calls(FsOp::Rename) + fs.calls(FsOp::Copy), 0);
        EXPECT_FALSE(toolkit.busy());
        toolkit.clearEvents();
    };

    edit(right(), "IMG.jpg");
    refused("Impossible de renommer « ZZ.jpg » :\r\nLe nom est trop court pour en couper "
            "autant de caractères.\r\nAucun fichier n'a été modifié.");

    w.sourceFiles.toggle(0);
    w.sourceFiles.toggle(2);
    toolkit.clearEvents();
    edit(leftCut(), ".jpg");
    refused("Impossible de renommer « ZZZZZZZ.jpg » :\r\nIl ne resterait rien du nom devant "
            "l'extension.\r\nAucun fichier n'a été modifié.");

    const std::string prefix(245, 'p');
    edit(lengthen(), prefix + "ZZZZZZZ.jpg");
    refused("Impossible de renommer « IMG_1234.jpg » en « " + prefix +
            "IMG_1234.jpg » :\r\nLe nom dépasse 255 octets.\r\nAucun fichier n'a été modifié.");

    w.targetType.pick("*");
    toolkit.clearEvents();
    copy();
    refused("Impossible de renommer « IMG_1234.jpg » en « IMG_1234.* » :\r\nUn nom ne peut pas "
            "contenir les caractères « * » ou « ? ».\r\nAucun fichier n'a été modifié.");
}

// Linux allows these characters, and the files already bear them: only what is typed is
// held to the stricter rule.
TEST_F(NameEditsTest, CharactersCarriedOverFromANameAreKept) {
    const std::string weird = "q?*\\\n\xff";
    MainWindow& w = startIn("Photos", {weird + ".jpg", "a.jpg"});
    w.targetType.pick("bmp");
    toolkit.clearEvents();
    copy();
    EXPECT_EQ(texts().back(), "2 fichiers ont été renommés sur les 2 présents.");
    EXPECT_EQ(namesIn(temp / "Photos"), (std::vector<std::string>{"a.bmp", weird + ".bmp"}));
}

// Such names would vanish from both lists, though the edit counted them.
TEST_F(NameEditsTest, ANameThatWouldBeHiddenStopsTheEditBeforeAnyFile) {
    struct Recorder : BatchObserver {
        void begins(const BatchInfo& info) override { kinds.push_back(info.kind); }
        std::vector<BatchKind> kinds;
    } recorder;
    MainWindow& w = startIn("Photos", {"IMG_1234.jpg", "IMG_5678.jpg"});
    w.edits().setObserver(&recorder);
    const std::vector<std::string> before = namesIn(temp / "Photos");
    toolkit.clearEvents();
    edit(lengthen(), ".IMG_5678.jpg");
    EXPECT_EQ(onlyMessage().text,
              "Impossible de renommer « IMG_1234.jpg » en « .IMG_1234.jpg » :\r\nUn nom ne peut "
              "pas commencer par « . » : le fichier serait caché et le programme ne pourrait plus "
              "le montrer.\r\nAucun fichier n'a été modifié.");
    EXPECT_EQ(namesIn(temp / "Photos"), before);
    EXPECT_EQ(fs.calls(FsOp::Rename) + fs.calls(FsOp::Copy), 0);
    EXPECT_TRUE(recorder.kinds.empty());

    // The same edit without the dot goes through the one executor, told of its kind.
    edit(lengthen(), "x_IMG_5678.jpg");
    EXPECT_EQ(recorder.kinds, std::vector<BatchKind>{BatchKind::LengthenLeft});
    EXPECT_EQ(fs.calls(FsOp::Sync), 1);
    EXPECT_EQ(namesIn(temp / "Photos"),
              (std::vector<std::string>{"x_IMG_1234.jpg", "x_IMG_5678.jpg"}));
}

TEST_F(NameEditsTest, AnEmptySourceListTouchesNothing) {
    MainWindow& w = startIn("Vide", {"notes.txt"});
    toolkit.queueInput("abc.jpg");
    toolkit.queueAnswer(true);
    right().click();
    EXPECT_EQ(toolkit.events().front().defaultText, "");
    EXPECT_EQ(texts().back(), "0 fichiers ont été renommés sur les 0 présents.");
    edit(lengthen(), "x.jpg");
    EXPECT_EQ(w.edits().variables().typedPrefix, "x.jpg");
    EXPECT_EQ(texts().back(), "0 fichiers ont été renommés sur les 0 présents.");
    // Nothing to be shorter than but the source type: beeps, then the refusal, no question.
    toolkit.clearEvents();
    toolkit.queueInput("jp");
    lengthen().click();
    EXPECT_EQ(toolkit.beeps(), 3);
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Le texte tapé est plus court que l'extension « jpg » : les nouveaux "
                           "noms ne peuvent pas être construits.\r\nAucun fichier n'a été "
                           "modifié."}));
    EXPECT_EQ(namesIn(temp / "Vide"), (std::vector<std::string>{"notes.txt"}));
    EXPECT_EQ(w.edits().LastSelectedName(), "");
}

TEST_F(NameEditsTest, AddTypeKeepsLetterCaseAndAddsOncePerList) {
    MainWindow& w = startIn("Photos", {"a.jpg", "B.JPG", "c.png"});
    const std::vector<std::string> initial = w.sourceType.entries();
    toolkit.queueInput("JPG");
    toolkit.queueAnswer(true);
    w.addTypeButton.click();
    const auto& events = toolkit.events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, Kind::Input);
    EXPECT_EQ(events[0].title, "Ajouter extension");
    EXPECT_EQ(events[0].text, "Nouvelle extension :");
    EXPECT_EQ(events[0].defaultText, "jpg");
    EXPECT_EQ(events[4].kind, Kind::Question);
    EXPECT_EQ(events[4].title, " Rajouter l'extension?");
    EXPECT_EQ(events[4].icon, Icon::Question);
    EXPECT_EQ(events[4].text, "Rajouter l'extension :\r\nJPG");
    EXPECT_EQ(toolkit.beeps(), 3);

    std::vector<std::string> withJpg = initial;
    withJpg.push_back("JPG");
    EXPECT_EQ(w.sourceType.entries(), withJpg);
    EXPECT_EQ(w.targetType.entries(), withJpg);
    EXPECT_EQ(w.sourceType.text(), "JPG");
    EXPECT_EQ(w.targetType.text(), "JPG");
    EXPECT_EQ(w.sourceFiles.pattern(), "*.JPG");
    EXPECT_EQ(w.targetFiles.pattern(), "*.JPG");
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type JPG");
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type JPG");
    EXPECT_EQ(w.schemeOptions[0]->caption().substr(w.schemeOptions[0]->caption().size() - 4),
              ".JPG");

    // Twice: once per list. The default when only the target list changed: nothing added.
    toolkit.queueInput("JPG");
    toolkit.queueAnswer(true);
    w.addTypeButton.click();
    EXPECT_EQ(w.sourceType.entries(), withJpg);
    EXPECT_EQ(w.targetType.entries(), withJpg);
    w.targetType.pick("bmp");
    toolkit.queueInput("JPG");
    toolkit.queueAnswer(true);
    w.addTypeButton.click();
    EXPECT_EQ(w.targetType.entries(), withJpg);
    EXPECT_EQ(w.targetType.text(), "JPG");
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type JPG");

    // The dot typed in front of a type is the one the names already have: ".png" is "png".
    toolkit.clearEvents();
    toolkit.queueInput(".png");
    toolkit.queueAnswer(true);
    w.addTypeButton.click();
    EXPECT_EQ(toolkit.events().back().text, "Rajouter l'extension :\r\npng");
    EXPECT_EQ(w.sourceType.entries().back(), "png");
    EXPECT_EQ(w.sourceFiles.pattern(), "*.png");
    EXPECT_EQ(w.sourceFiles.rows(), std::vector<std::string>{"c.png"});
    EXPECT_EQ(w.sourceStatus.text(), "    1 fichiers de type png");
}

TEST_F(NameEditsTest, AddTypeRefusals) {
    MainWindow& w = startIn("Photos", {"a.jpg"});
    const std::vector<std::string> initial = w.sourceType.entries();
    const auto refused = [&](const std::string& typed, const std::string& text) {
        toolkit.clearEvents();
        toolkit.queueInput(typed);
        w.addTypeButton.click();
        ASSERT_EQ(toolkit.events().size(), 2u);
        EXPECT_EQ(toolkit.events()[1].text, text);
        EXPECT_EQ(toolkit.events()[1].icon, Icon::Error);
        EXPECT_EQ(toolkit.events()[1].title, "Ajouter extension");
        EXPECT_EQ(w.sourceType.entries(), initial);
        EXPECT_EQ(w.targetType.entries(), initial);
        EXPECT_EQ(w.sourceType.text(), "jpg");
    };
    refused("", "L'extension n'est pas définie");
    refused("..", "L'extension n'est pas définie");
    refused("x/png", "Une extension ne peut pas contenir le caractère « / ».");
    refused(std::string("p\0g", 3), "Une extension ne peut pas contenir de caractère nul.");

    toolkit.clearEvents();
    toolkit.queueInput("png");
    toolkit.queueAnswer(false);
    w.addTypeButton.click();
    EXPECT_EQ(w.sourceType.entries(), initial);
    EXPECT_EQ(w.sourceType.text(), "jpg");
    EXPECT_EQ(toolkit.events().back().kind, Kind::Question);
}

} // namespace
} // namespace quorvel::test
