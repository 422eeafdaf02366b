#include "files/FolderCommands.h"

#include "support/Window.h"
#include "text/NameCheck.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace quorvel::test {
namespace {

using Kind = ToolkitEvent::Kind;

class FolderCommandsTest : public WindowTest {
protected:
    FolderCommandsTest() { setTreeRemovalHook(realFs, fs.treeEntryHook()); }

    std::vector<Kind> kinds() const {
        std::vector<Kind> out;
        for (const ToolkitEvent& event : toolkit.events())
            out.push_back(event.kind);
        return out;
    }
    const ToolkitEvent& firstOf(Kind kind) const {
        for (const ToolkitEvent& event : toolkit.events()) {
            if (event.kind == kind)
                return event;
        }
        throw std::runtime_error("no such event");
    }
};

const std::vector<Kind> beepsThenQuestion{Kind::Beep, Kind::Beep, Kind::Beep, Kind::Question};

TEST_F(FolderCommandsTest, CreatingFromTheSourcePaneOpensTheNewFolderInBothPanes) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    MainWindow& w = start();
    openSource(photos);
    toolkit.queueInput("Vacances");
    w.sourceButtons[2]->click();

    const std::string created = photos + "/Vacances";
    ASSERT_EQ(kinds(), std::vector<Kind>{Kind::Input});
    EXPECT_EQ(lastEvent().text, "Nom du nouveau répertoire:");
    EXPECT_EQ(lastEvent().title, "Création");
    EXPECT_EQ(lastEvent().defaultText, "");
    EXPECT_TRUE(realFs.isFolder(created));
    EXPECT_EQ(w.sourceFolders.path(), created);
    EXPECT_EQ(w.targetFolders.path(), created);
    EXPECT_EQ(w.sourceFiles.count(), 0);
    EXPECT_EQ(w.sourceStatus.text(), "    0 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    0 fichiers de type jpg");
    EXPECT_EQ(*w.folders().variables().answer, "Vacances");
}

// The folder commands and the edits each keep their typed text (sChTmp) and sample (OldRep);
// the window shows the one written last, and a command that wrote neither changes neither.
TEST_F(FolderCommandsTest, TheTypedTextAndSampleShownAreTheLastWritten) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    MainWindow& w = start();
    openSource(photos);
    const auto text = [&](const char* name) { return std::get<std::string>(*w.variable(name)); };
    toolkit.queueInput("Vacances");
    w.sourceButtons[2]->click();
    EXPECT_EQ(text("sChTmp"), "Vacances");
    EXPECT_EQ(text("OldRep"), "");

    toolkit.queueInput("png");
    toolkit.queueAnswer(false);
    w.addTypeButton.click();
    EXPECT_EQ(text("sChTmp"), "png");
    EXPECT_EQ(text("OldRep"), "jpg");

    // Refused before it asks anything: the edit's values stay.
    toolkit.queueAnswer(false);
    w.sourceButtons[5]->click();
    EXPECT_EQ(text("sChTmp"), "png");

    toolkit.queueInput("Plage");
    toolkit.queueAnswer(true);
    w.sourceButtons[3]->click();
    EXPECT_EQ(text("sChTmp"), "Plage");
    EXPECT_EQ(text("OldRep"), "Vacances");
    EXPECT_EQ(w.sourceFolders.path(), photos + "/Plage");
}

TEST_F(FolderCommandsTest, CreatingFromTheTargetPaneMovesOnlyTheTargetPane) {
    const std::string photos = temp.folder("Photos");
    MainWindow& w = start();
    openSource(photos);
    toolkit.queueInput("Vacances");
    w.targetButtons[2]->click();

    EXPECT_EQ(w.targetFolders.path(), photos + "/Vacances");
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.sourceFolders.subfolders(), std::vector<std::string>{"Vacances"});
}

TEST_F(FolderCommandsTest, CreatingOnAVolumeRootPutsNoSecondSeparator) {
    const std::string volume = temp.folder("cle");
    fs.addVolume(volume);
    MainWindow& w = start();
    openSource(volume);
    ASSERT_EQ(w.sourceFolders.driveRoot(), volume);
    toolkit.queueInput("Vacances");
    w.sourceButtons[2]->click();
    EXPECT_EQ(w.sourceFolders.path(), volume + "/Vacances");
    EXPECT_TRUE(realFs.isFolder(volume + "/Vacances"));
}

TEST_F(FolderCommandsTest, EmptyOrCancelledNamesChangeNothing) {
    const std::string photos = temp.folder("Photos");
    MainWindow& w = start();
    openSource(photos);

    toolkit.queueInput("");
    w.sourceButtons[2]->click();
    ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::Input, Kind::Message}));
    EXPECT_EQ(lastEvent().text, "Le répertoire n'est pas défini");
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().buttons, Buttons::Ok);
    EXPECT_EQ(lastEvent().title, "Créer un nouveau répertoire");
    EXPECT_EQ(fs.calls(FsOp::CreateFolder), 0);

    toolkit.clearEvents();
    toolkit.queueInput("");
    w.targetButtons[3]->click();
    ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::Input, Kind::Message}));
    EXPECT_EQ(firstOf(Kind::Input).defaultText, "Photos");
    EXPECT_EQ(lastEvent().text, "Le répertoire n'est pas défini");
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().title, "Renommer");
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.targetFolders.path(), photos);
    EXPECT_TRUE(namesIn(photos).empty());
}

TEST_F(FolderCommandsTest, NamesThatAreNotOneComponentNeverReachTheDisk) {
    const std::string photos = temp.folder("Photos");
    temp.folder("Photos/a");
    MainWindow& w = start();
    openSource(photos);
    const std::vector<std::string> bad{
        "a/b", "..", ".", "/", "b/", std::string("a\0b", 3), std::string(256, 'x'), ".cache"};
    for (const std::string& name : bad) {
        toolkit.clearEvents();
        toolkit.queueInput(name);
        w.sourceButtons[2]->click();
        ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::Input, Kind::Message})) << name;
        EXPECT_EQ(lastEvent().icon, Icon::Error);
        EXPECT_NE(lastEvent().text.find("ne convient pas pour un répertoire"), std::string::npos);
        EXPECT_NE(lastEvent().text.find(nameProblem(name)), std::string::npos) << name;

        toolkit.clearEvents();
        toolkit.queueInput(name);
        w.sourceButtons[3]->click();
        ASSERT_EQ(kinds(), (std::vector<Kind>{Kind::Input, Kind::Message})) << name;
        EXPECT_EQ(lastEvent().title, "Renommer");
    }
    EXPECT_EQ(fs.calls(FsOp::CreateFolder), 0);
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.sourceFolders.subfolders(), std::vector<std::string>{"a"});
}

TEST_F(FolderCommandsTest, ExistingNamesAreNeitherCreatedNorReplaced) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg", "photo");
    const std::string empty = temp.folder("Vide");
    temp.folder("Photos/Vacances");
    MainWindow& w = start();
    openSource(photos);

    toolkit.queueInput("Vacances");
    w.sourceButtons[2]->click();
    EXPECT_EQ(lastEvent().kind, Kind::Message);
    EXPECT_NE(lastEvent().text.find("existe déjà"), std::string::npos);
    EXPECT_EQ(w.sourceFolders.path(), photos);

    // On Linux a plain rename would put Photos in place of the empty folder.
    toolkit.clearEvents();
    toolkit.queueInput("Vide");
    toolkit.queueAnswer(true);
    w.sourceButtons[3]->click();
    EXPECT_EQ(lastEvent().kind, Kind::Message);
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().text, "Un répertoire ou un fichier nommé « Vide » existe déjà dans « " +
                                    temp.path() + " » : le répertoire « Photos » garde son nom.");
    EXPECT_EQ(readFile(photos + "/a.jpg"), "photo");
    EXPECT_TRUE(namesIn(empty).empty());
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.targetFolders.path(), photos);
}

TEST_F(FolderCommandsTest, RenamingInTheSourcePaneTakesBothPanesAlong) {
    const std::string old = temp.folder("Photos2006");
    temp.file("Photos2006/a.jpg", "photo");
    MainWindow& w = start();
    openSource(old);
    toolkit.queueInput("Photos 2007");
    toolkit.queueAnswer(true);
    w.sourceButtons[3]->click();

    ASSERT_EQ(kinds(),
              (std::vector<Kind>{Kind::Input, Kind::Beep, Kind::Beep, Kind::Beep, Kind::Question}));
    const ToolkitEvent& input = firstOf(Kind::Input);
    EXPECT_EQ(input.text, "Nouveau nom du répertoire:");
    EXPECT_EQ(input.title, "Renommer");
    EXPECT_EQ(input.defaultText, "Photos2006");
    EXPECT_EQ(lastEvent().title, " Renommer le répertoire?");
    EXPECT_EQ(lastEvent().icon, Icon::Question);
    EXPECT_EQ(lastEvent().buttons, Buttons::YesNo);
    EXPECT_EQ(lastEvent().text, "Renommer définitivement :\r\nPhotos2006\r\n en \r\nPhotos 2007");

    const std::string renamed = temp / "Photos 2007";
    EXPECT_FALSE(exists(old));
    EXPECT_EQ(readFile(renamed + "/a.jpg"), "photo");
    EXPECT_EQ(w.sourceFolders.path(), renamed);
    EXPECT_EQ(w.targetFolders.path(), renamed);
    EXPECT_EQ(w.sourceFiles.rows(), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(*w.folders().variables().proposedText, "Photos2006");
}

TEST_F(FolderCommandsTest, RenamingInTheTargetPaneBringsTheSourcePaneToIt) {
    temp.folder("Source");
    const std::string target = temp.folder("Cible");
    MainWindow& w = start();
    openSource(temp / "Source");
    ASSERT_EQ(w.targetFolders.setPath(target), 0);

    toolkit.queueInput("Sortie");
    toolkit.queueAnswer(false);
    w.targetButtons[3]->click();
    EXPECT_EQ(lastEvent().text, "Renommer définitivement :\r\nCible\r\nen\r\nSortie");
    EXPECT_TRUE(exists(target));
    EXPECT_EQ(w.targetFolders.path(), target);

    toolkit.queueInput("Sortie");
    toolkit.queueAnswer(true);
    w.targetButtons[3]->click();
    EXPECT_FALSE(exists(target));
    EXPECT_EQ(w.targetFolders.path(), temp / "Sortie");
    EXPECT_EQ(w.sourceFolders.path(), temp / "Sortie");
}

TEST_F(FolderCommandsTest, DeletingATreeRemovesEverythingInsideAndNothingOutside) {
    const std::string tree = temp.folder("Arbre");
    temp.file("Arbre/a.jpg");
    ::chmod(temp.file("Arbre/lecture.jpg").c_str(), 0444);
    temp.file("Arbre/.cache");
    temp.file("Arbre/sous/plus/x.txt");
    temp.folder("Arbre/sous/.cachee");
    temp.file("Arbre/ferme/y.txt");
    ::chmod((tree + "/ferme").c_str(), 0555);
    temp.file("Dehors/garde.txt", "dehors");
    temp.file("seul.txt", "seul");
    ASSERT_EQ(::symlink((temp / "Dehors").c_str(), (tree + "/lien").c_str()), 0);
    ASSERT_EQ(::symlink((temp / "seul.txt").c_str(), (tree + "/lien.txt").c_str()), 0);
    MainWindow& w = start();
    openSource(tree);
    ASSERT_EQ(w.targetFolders.setPath(tree + "/sous"), 0);

    bool busyDuringWalk = true;
    setTreeRemovalHook(realFs, [&](const std::string&) {
        busyDuringWalk = busyDuringWalk && toolkit.busy();
        return 0;
    });
    toolkit.queueAnswer(true);
    w.sourceButtons[5]->click();

    ASSERT_EQ(kinds(), beepsThenQuestion);
    EXPECT_EQ(lastEvent().title, " Effacer le répertoire?");
    EXPECT_EQ(lastEvent().icon, Icon::Question);
    EXPECT_EQ(lastEvent().text, "Effacer définitivement le répertoire :\r\nArbre");
    EXPECT_FALSE(exists(tree));
    EXPECT_EQ(readFile(temp / "Dehors/garde.txt"), "dehors");
    EXPECT_EQ(readFile(temp / "seul.txt"), "seul");
    EXPECT_TRUE(busyDuringWalk);
    EXPECT_FALSE(toolkit.busy());
    EXPECT_EQ(*w.folders().variables().proposedText, temp.path());
    EXPECT_EQ(w.sourceFolders.path(), temp.path());
    EXPECT_EQ(w.targetFolders.path(), temp.path());
    EXPECT_EQ(w.sourceFolders.subfolders(), (std::vector<std::string>{"Dehors", "program"}));
}

TEST_F(FolderCommandsTest, DeletingFromTheTargetPaneBringsTheSourcePaneToTheParent) {
    temp.file("Source/s.jpg");
    const std::string tree = temp.folder("Vieux");
    temp.file("Vieux/v.jpg");
    MainWindow& w = start();
    openSource(temp / "Source");
    ASSERT_EQ(w.targetFolders.setPath(tree), 0);

    toolkit.queueAnswer(false);
    w.targetButtons[5]->click();
    EXPECT_TRUE(exists(tree + "/v.jpg"));
    EXPECT_EQ(w.targetFolders.path(), tree);

    toolkit.clearEvents();
    toolkit.queueAnswer(true);
    w.targetButtons[5]->click();
    EXPECT_EQ(kinds(), beepsThenQuestion);
    EXPECT_EQ(lastEvent().text, "Effacer définitivement le répertoire :\r\nVieux");
    EXPECT_FALSE(exists(tree));
    EXPECT_EQ(w.targetFolders.path(), temp.path());
    EXPECT_EQ(w.sourceFolders.path(), temp.path());
    EXPECT_EQ(w.targetFolders.subfolders(), (std::vector<std::string>{"program", "Source"}));
}

TEST_F(FolderCommandsTest, WhatATreeDeleteLeavesIsCountedAndNamed) {
    const std::string tree = temp.folder("Arbre");
    const std::string busy = temp.file("Arbre/occupe.txt");
    MainWindow& w = start();
    openSource(tree);
    fs.failNth(FsOp::DeleteTreeEntry, 1, EBUSY);
    toolkit.queueAnswer(true);
    w.sourceButtons[5]->click();

    EXPECT_TRUE(exists(busy));
    EXPECT_EQ(lastEvent().kind, Kind::Message);
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().text,
              "Le répertoire « Arbre » n'a pas été entièrement effacé : 2 éléments n'ont pas pu "
              "être effacés.\r\n\r\n" +
                  busy + " : fichier en cours d'utilisation\r\n" + tree +
                  " : le dossier n'est pas vide");
    EXPECT_EQ(w.sourceFolders.path(), temp.path());
    EXPECT_EQ(w.targetFolders.path(), temp.path());
}

TEST_F(FolderCommandsTest, ALongListOfEntriesLeftShowsTheFirstTwentyAndCountsTheRest) {
    const std::string tree = temp.folder("Arbre");
    for (int i = 0; i < 22; ++i)
        temp.file("Arbre/f" + std::to_string(i) + ".jpg");
    MainWindow& w = start();
    openSource(tree);
    fs.failAll(FsOp::DeleteTreeEntry, EROFS);
    toolkit.queueAnswer(true);
    w.sourceButtons[5]->click();

    const std::string& text = lastEvent().text;
    const std::string head = "Le répertoire « Arbre » n'a pas été entièrement effacé : 23 "
                             "éléments n'ont pas pu être effacés.\r\n";
    ASSERT_EQ(text.substr(0, head.size()), head);
    std::vector<std::string> lines;
    for (std::size_t at = head.size(); at < text.size();) {
        const std::size_t end = std::min(text.find("\r\n", at + 2), text.size());
        lines.push_back(text.substr(at + 2, end - at - 2));
        at = end;
    }
    ASSERT_EQ(lines.size(), 21u);
    const std::string reason = " : support en lecture seule";
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(lines[i].substr(0, tree.size() + 2), tree + "/f") << lines[i];
        EXPECT_EQ(lines[i].substr(lines[i].size() - reason.size()), reason);
    }
    EXPECT_EQ(lines[20], "… et 3 autres");
}

// A mount that the drive list does not show, a tmpfs here, is a volume root all the same.
TEST_F(FolderCommandsTest, ARootOfAnUnlistedMountIsNeverDeletedNorRenamed) {
    struct Mount {
        std::string where;
        bool done = ::mount("quorvel-test", where.c_str(), "tmpfs", 0, "size=1m") == 0;
        ~Mount() {
            if (done)
                ::umount2(where.c_str(), MNT_DETACH);
        }
    } card{temp.folder("carte")};
    if (!card.done)
        GTEST_SKIP() << "mounting a tmpfs needs a privilege this process lacks";
    temp.file("carte/a.jpg");
    MainWindow& w = start();
    openSource(card.where);

    w.sourceButtons[5]->click();
    EXPECT_EQ(lastEvent().text,
              "« " + card.where + " » est la racine d'un volume : il ne peut pas être effacé.");
    w.sourceButtons[3]->click();
    EXPECT_EQ(lastEvent().text,
              "« " + card.where + " » est la racine d'un volume : il ne peut pas être renommé.");
    EXPECT_EQ(fs.calls(FsOp::DeleteTree), 0);
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_TRUE(exists(card.where + "/a.jpg"));
}

TEST_F(FolderCommandsTest, APaneOpenedThroughALinkDeletesNothingBehindIt) {
    temp.file("Dehors/garde.txt", "dehors");
    const std::string link = temp / "lien";
    ASSERT_EQ(::symlink((temp / "Dehors").c_str(), link.c_str()), 0);
    MainWindow& w = start();
    openSource(link);
    toolkit.queueAnswer(true);
    w.sourceButtons[5]->click();

    EXPECT_EQ(readFile(temp / "Dehors/garde.txt"), "dehors");
    EXPECT_TRUE(exists(link));
    EXPECT_EQ(lastEvent().kind, Kind::Message);
    EXPECT_NE(lastEvent().text.find("1 élément n'a pas pu être effacé"), std::string::npos);
    EXPECT_EQ(w.sourceFolders.path(), temp.path());
}

TEST_F(FolderCommandsTest, AVolumeRootIsNeverRenamedNorDeleted) {
    const std::string volume = temp.folder("cle");
    temp.file("cle/a.jpg");
    fs.addVolume(volume);
    MainWindow& w = start();
    openSource(volume);

    w.sourceButtons[3]->click();
    ASSERT_EQ(kinds(), std::vector<Kind>{Kind::Message});
    EXPECT_EQ(lastEvent().title, "Renommer");
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().text,
              "« " + volume + " » est la racine d'un volume : il ne peut pas être renommé.");

    for (PictureButton* button : {w.sourceButtons[5], w.targetButtons[5], w.targetButtons[3]}) {
        toolkit.clearEvents();
        button->click();
        ASSERT_EQ(kinds(), std::vector<Kind>{Kind::Message}) << button->name();
        EXPECT_NE(lastEvent().text.find("racine d'un volume"), std::string::npos);
    }
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
    EXPECT_EQ(fs.calls(FsOp::DeleteTree), 0);
    EXPECT_TRUE(exists(volume + "/a.jpg"));
    EXPECT_EQ(w.sourceFolders.path(), volume);
}

TEST_F(FolderCommandsTest, FailedCreateOrRenameLeavesThePaneWhereItWas) {
    const std::string photos = temp.folder("Photos");
    MainWindow& w = start();
    openSource(photos);

    fs.failNth(FsOp::CreateFolder, 1, EACCES);
    toolkit.queueInput("Vacances");
    w.sourceButtons[2]->click();
    EXPECT_EQ(lastEvent().text,
              "Le répertoire « " + photos + "/Vacances » n'a pas pu être créé :\r\naccès refusé");
    EXPECT_EQ(lastEvent().title, "Créer un nouveau répertoire");
    EXPECT_FALSE(exists(photos + "/Vacances"));
    EXPECT_EQ(w.sourceFolders.path(), photos);

    fs.failNth(FsOp::Rename, 1, EBUSY);
    toolkit.queueInput("Albums");
    toolkit.queueAnswer(true);
    w.sourceButtons[3]->click();
    EXPECT_EQ(lastEvent().text, "Le répertoire « Photos » n'a pas pu être renommé en « Albums » "
                                ":\r\nfichier en cours d'utilisation");
    EXPECT_TRUE(exists(photos));
    EXPECT_EQ(w.sourceFolders.path(), photos);
    EXPECT_EQ(w.targetFolders.path(), photos);
}

} // namespace
} // namespace quorvel::test
