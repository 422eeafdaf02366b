#include "app/AboutBox.h"

#include "rename/NameComposer.h"
#include "support/Window.h"

#include <algorithm>

namespace quorvel::test {
namespace {

class AboutBoxTest : public WindowTest {
protected:
    long openCount(const std::string& name) const {
        return std::count_if(toolkit.openForms().begin(), toolkit.openForms().end(),
                             [&](const Form* f) { return f->name() == name; });
    }
    Control& about(const std::string& name) {
        Control* found = window->findControl("About." + name);
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
};

TEST_F(AboutBoxTest, TheBoxNamesTheProgramWithItsTextsAndColours) {
    MainWindow& w = start();
    EXPECT_EQ(w.about().form(), nullptr);
    w.aboutButton.click();
    Form* box = w.about().form();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(w.findControl("About"), box);
    EXPECT_EQ(box->caption(), "A Propos de Quorvel");
    EXPECT_EQ(box->geometry().width, 8700);
    EXPECT_EQ(box->geometry().height, 6135);

    struct Expected {
        const char* name;
        Geometry frame;
        const char* text;
        std::optional<Rgb> colour;
    };
    const Expected labels[] = {
        {"Label1", {5400, 360, 2895, 615}, "Quorvel", 0xFF0000},
        {"Label2", {5400, 1080, 2895, 375}, "version : " QUORVEL_VERSION, std::nullopt},
        {"Label3", {5400, 1920, 3015, 375}, "Auteur : Vesquin", 0x0000FF},
        {"Label4",
         {480, 2760, 8055, 615},
         "Si ce logiciel vous a plu, ou si vous souhaitez le voir évoluer, n'hésitez pas à "
         "m'écrire",
         std::nullopt},
        {"Label5", {2040, 3480, 5295, 495}, "contact@quorvel.example", 0xFF0000},
        {"Label6",
         {480, 4560, 7935, 615},
         "Merci à Tressol pour toutes les suggestions,  les modifications et apports importants",
         0x0000FF},
        {"CommandOK", {5400, 5400, 2775, 615}, "OK", std::nullopt},
    };
    for (const Expected& e : labels) {
        Control& c = about(e.name);
        EXPECT_EQ(c.caption(), e.text) << e.name;
        EXPECT_EQ(c.foreColor(), e.colour) << e.name;
        const Geometry& g = c.geometry();
        EXPECT_EQ((std::array{g.left, g.top, g.width, g.height}),
                  (std::array{e.frame.left, e.frame.top, e.frame.width, e.frame.height}))
            << e.name;
    }
    auto& picture = dynamic_cast<Image&>(about("Picture1"));
    EXPECT_EQ(picture.picture(), programFolder + "/quorvel-about.png");
    EXPECT_EQ(picture.geometry().width, 3735);
    EXPECT_EQ(picture.geometry().height, 2535);
}

TEST_F(AboutBoxTest, OneBoxNotModalClosedByOk) {
    MainWindow& w = start();
    w.aboutButton.click();
    Form* box = w.about().form();
    w.aboutButton.click();
    EXPECT_EQ(w.about().form(), box);
    EXPECT_EQ(openCount("About"), 1);
    // The main window goes on working while the box is open.
    w.genericName.setText("Vacances");
    EXPECT_EQ(w.composer().variables().typedGeneric, "Vacances");

    about("CommandOK").click();
    EXPECT_EQ(w.about().form(), nullptr);
    EXPECT_EQ(openCount("About"), 0);
    EXPECT_EQ(w.findControl("About.Label5"), nullptr);

    w.aboutButton.click();
    EXPECT_EQ(openCount("About"), 1);
    w.about().form()->onClose();
    EXPECT_EQ(openCount("About"), 0);
    EXPECT_EQ(openCount("Form1"), 1);
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(AboutBoxTest, TheContactLineOpensANewMailThroughTheShell) {
    MainWindow& w = start();
    w.aboutButton.click();
    about("Label5").click();
    ASSERT_EQ(shell.calls().size(), 1u);
    const RecordingShell::Call& call = shell.calls()[0];
    EXPECT_EQ(call.operation, "Open");
    EXPECT_EQ(call.document, "mailto:contact@quorvel.example");
    EXPECT_EQ(call.workingFolder, programFolder);
    EXPECT_EQ(call.owner, "About");
    // Nothing else shows, whatever the shell made of it.
    EXPECT_TRUE(toolkit.events().empty());
    EXPECT_NE(w.about().form(), nullptr);
}

TEST_F(AboutBoxTest, HelpNamesTheFileBesideTheProgram) {
    MainWindow& w = start();
    w.showHelp();
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(shell.calls()[0].operation, "Help");
    EXPECT_EQ(shell.calls()[0].document, programFolder + "/Quorvel.chm");
}

TEST_F(AboutBoxTest, AnInstalledProgramFindsItsHelpAndPictureInItsDataFolder) {
    dataFolder = temp.folder("share/quorvel");
    MainWindow& w = start();
    w.showHelp();
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(shell.calls()[0].document, dataFolder + "/Quorvel.chm");
    w.aboutButton.click();
    EXPECT_EQ(dynamic_cast<Image&>(about("Picture1")).picture(), dataFolder + "/quorvel-about.png");
    // The first run's folders stay the program's own.
    EXPECT_EQ(w.sourceFolders.path(), programFolder);
}

} // namespace
} // namespace quorvel::test
