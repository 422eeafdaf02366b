#include "files/FileDeletion.h"

#include "support/Window.h"
#include "text/Utf8.h"

#include <cerrno>
#include <cstdio>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Kind = ToolkitEvent::Kind;

class FileDeletionTest : public WindowTest {
protected:
    void select(FileList& list, const std::vector<std::string>& names) {
        for (const std::string& name : names) {
            const int row = list.indexOf(name);
            ASSERT_GE(row, 0) << name;
            list.toggle(row);
        }
        toolkit.clearEvents();
    }
    std::vector<Kind> kinds() const {
        std::vector<Kind> out;
        for (const ToolkitEvent& event : toolkit.events())
            out.push_back(event.kind);
        return out;
    }
};

TEST_F(FileDeletionTest, AsksForEachSelectedFileInListOrder) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    select(w.sourceFiles, {"d.jpg", "a.jpg", "b.jpg"});
    toolkit.queueAnswer(true);
    toolkit.queueAnswer(false);
    toolkit.queueAnswer(true);
    w.sourceButtons[4]->click();

    const std::vector<Kind> one{Kind::Beep, Kind::Beep, Kind::Beep, Kind::Question};
    std::vector<Kind> expected;
    for (int i = 0; i < 3; ++i)
        expected.insert(expected.end(), one.begin(), one.end());
    ASSERT_EQ(kinds(), expected);
    EXPECT_EQ(lastEvent().title, " Effacer le fichiers?");
    EXPECT_EQ(lastEvent().icon, Icon::Question);
    EXPECT_EQ(lastEvent().buttons, Buttons::YesNoDefaultNo);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Effacer définitivement :\r\na.jpg",
                                                 "Effacer définitivement :\r\nb.jpg",
                                                 "Effacer définitivement :\r\nd.jpg"}));
    EXPECT_EQ(namesIn(photos), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers effacés = 2 sur 3");
    EXPECT_EQ(w.sourceFiles.rows(), (std::vector<std::string>{"b.jpg", "c.jpg"}));
    EXPECT_EQ(w.targetFiles.rows(), w.sourceFiles.rows());
    EXPECT_EQ(w.sourceFiles.selectedCount(), 0);
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
}

TEST_F(FileDeletionTest, NothingSelectedAsksNothingAndRereadsBothLists) {
    const std::string photos = temp.folder("Photos");
    temp.file("Photos/a.jpg");
    MainWindow& w = start();
    openSource(photos);
    temp.file("Photos/b.jpg");
    w.sourceButtons[4]->click();
    EXPECT_TRUE(toolkit.events().empty());
    // Nothing was deleted: the line does not claim that everything was.
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers effacés = 0 sur 0");
    EXPECT_EQ(w.sourceStatus.text(), "    2 fichiers de type jpg");
    EXPECT_EQ(w.targetStatus.text(), "    2 fichiers de type jpg");
}

TEST_F(FileDeletionTest, TargetPaneDeletesItsOwnSelection) {
    const std::string source = temp.folder("Source");
    temp.file("Source/a.jpg");
    const std::string target = temp.folder("Cible");
    temp.file("Cible/a.jpg");
    temp.file("Cible/b.jpg");
    MainWindow& w = start();
    openSource(source);
    ASSERT_EQ(w.targetFolders.setPath(target), 0);
    select(w.targetFiles, {"a.jpg", "b.jpg"});

    toolkit.queueAnswer(false);
    toolkit.queueAnswer(false);
    w.targetButtons[4]->click();
    EXPECT_EQ(lastEvent().title, " Effacer le fichier?");
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers effacés = 0 sur 2");
    EXPECT_EQ(namesIn(target).size(), 2u);

    select(w.targetFiles, {"a.jpg"});
    toolkit.queueAnswer(true);
    w.targetButtons[4]->click();
    EXPECT_EQ(w.selectionCount.text(), "Tous les fichiers sélectionnés sont effacés");
    EXPECT_EQ(namesIn(target), std::vector<std::string>{"b.jpg"});
    EXPECT_EQ(namesIn(source), std::vector<std::string>{"a.jpg"});
    EXPECT_EQ(w.targetStatus.text(), "    1 fichiers de type jpg");
    EXPECT_EQ(w.sourceStatus.text(), "    1 fichiers de type jpg");
}

TEST_F(FileDeletionTest, FailuresAreNotCountedAndAreNamedAfterTheWalk) {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        temp.file(std::string("Photos/") + name);
    MainWindow& w = start();
    openSource(photos);
    select(w.sourceFiles, {"a.jpg", "b.jpg", "c.jpg"});
    // c.jpg goes behind the list's back: the walk still holds its row.
    ASSERT_EQ(std::remove((photos + "/c.jpg").c_str()), 0);
    fs.failNth(FsOp::RemoveFile, 2, EACCES);
    for (int i = 0; i < 3; ++i)
        toolkit.queueAnswer(true);
    w.sourceButtons[4]->click();

    EXPECT_EQ(fs.calls(FsOp::RemoveFile), 3);
    EXPECT_EQ(namesIn(photos), std::vector<std::string>{"b.jpg"});
    EXPECT_EQ(w.selectionCount.text(), "   Fichiers effacés = 1 sur 3");
    EXPECT_EQ(lastEvent().kind, Kind::Message);
    EXPECT_EQ(lastEvent().icon, Icon::Error);
    EXPECT_EQ(lastEvent().text, "2 fichiers n'ont pas pu être effacés :\r\n\r\nb.jpg : accès "
                                "refusé\r\nc.jpg : fichier introuvable");
    EXPECT_EQ(w.sourceStatus.text(), "    1 fichiers de type jpg");
}

TEST_F(FileDeletionTest, ALongNameIsShortenedInTheMiddleOfTheQuestionOnly) {
    const std::string photos = temp.folder("Photos");
    std::string name;
    for (int i = 0; i < 10; ++i)
        name += "Été_à_Noël_";
    name += "0042.jpg";
    temp.file("Photos/" + name);
    temp.file("Photos/court.jpg");
    MainWindow& w = start();
    openSource(photos);
    select(w.sourceFiles, {name, "court.jpg"});
    toolkit.queueAnswer(true);
    toolkit.queueAnswer(true);
    w.sourceButtons[4]->click();
    const std::string shown = "Été_à_Noël_Été_à_Noël_Été_à_N…Été_à_Noël_Été_à_Noël_0042.jpg";
    EXPECT_EQ(utf8Length(shown), FileDeletion::questionNameLimit);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Effacer définitivement :\r\ncourt.jpg",
                                                 "Effacer définitivement :\r\n" + shown}));
    EXPECT_TRUE(namesIn(photos).empty());
    EXPECT_EQ(w.selectionCount.text(), "Tous les fichiers sélectionnés sont effacés");
}

TEST_F(FileDeletionTest, ALinkRowGoesAsALink) {
    const std::string photos = temp.folder("Photos");
    const std::string outside = temp.file("Dehors/garde.jpg", "garde");
    ASSERT_EQ(::symlink(outside.c_str(), (photos + "/lien.jpg").c_str()), 0);
    MainWindow& w = start();
    openSource(photos);
    select(w.sourceFiles, {"lien.jpg"});
    toolkit.queueAnswer(true);
    w.sourceButtons[4]->click();
    EXPECT_FALSE(exists(photos + "/lien.jpg"));
    EXPECT_EQ(readFile(outside), "garde");
    EXPECT_EQ(w.selectionCount.text(), "Tous les fichiers sélectionnés sont effacés");
}

} // namespace
} // namespace quorvel::test
