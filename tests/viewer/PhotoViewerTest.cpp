#include "viewer/PhotoViewer.h"

#include "support/Window.h"

#include <algorithm>

namespace quorvel::test {
namespace {

class PhotoViewerTest : public WindowTest {
protected:
    void SetUp() override {
        wide = temp.file("photos/wide.jpg");
        pictures.sizes[wide] = {3000, 2000}; // 3:2, stretched to the 4:3 frame
        tall = temp.file("photos/tall.jpg");
        pictures.sizes[tall] = {2000, 3000};
        start();
    }

    bool shown(const Form* form) const {
        const auto& open = toolkit.openForms();
        return std::find(open.begin(), open.end(), form) != open.end();
    }

    Geometry frame() const { return window->viewer().image()->geometry(); }

    std::string wide;
    std::string tall;
};

TEST_F(PhotoViewerTest, OneWindowWhosePictureAndFrameFollowEachPhoto) {
    PhotoViewer& viewer = window->viewer();
    EXPECT_EQ(viewer.form(), nullptr);
    viewer.ViewPhoto(wide);
    Form* form = viewer.form();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(shown(form));
    EXPECT_EQ(form->name(), "Form2");
    EXPECT_EQ(form->caption(), "Visionner la photo");
    EXPECT_EQ(form->geometry().width, 15240);
    EXPECT_EQ(form->geometry().height, 11115);
    EXPECT_EQ(viewer.image()->picture(), wide);
    EXPECT_EQ(frame().left, 400);
    EXPECT_EQ(frame().top, 200);
    EXPECT_EQ(frame().width, 14000);
    EXPECT_EQ(frame().height, 10500);
    EXPECT_EQ(window->findControl("Form2"), form);
    EXPECT_EQ(window->findControl("Form2.Image2"), viewer.image());
    EXPECT_EQ(window->findControl("Image2"), viewer.image());

    viewer.ViewPhoto(tall);
    EXPECT_EQ(viewer.form(), form);
    EXPECT_EQ(std::count(toolkit.openForms().begin(), toolkit.openForms().end(), form), 1);
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_EQ(frame().left, 4000);
    EXPECT_EQ(frame().top, 200);
    EXPECT_EQ(frame().width, 7875);
    EXPECT_EQ(frame().height, 10500);

    viewer.ViewPhoto(wide);
    EXPECT_EQ(frame().left, 400);
    EXPECT_EQ(frame().width, 14000);
    EXPECT_TRUE(toolkit.events().empty());
}

// The keys browse the list the strip shows, in its order; a photo that cannot be shown is
// explained and the next key goes on from it.
TEST_F(PhotoViewerTest, TheKeysBrowseTheListAndStopAtItsEnds) {
    temp.file("photos/zz.jpg", "not a picture");
    openSource(temp / "photos");
    ASSERT_EQ(window->sourceFiles.rows(),
              (std::vector<std::string>{"tall.jpg", "wide.jpg", "zz.jpg"}));
    PhotoViewer& viewer = window->viewer();
    viewer.browse(1);
    EXPECT_EQ(viewer.form(), nullptr);
    viewer.ViewPhoto(tall);
    const auto key = [&](const std::string& name) { return viewer.form()->onKey(name); };
    EXPECT_TRUE(key("Left"));
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_TRUE(key("Right"));
    EXPECT_EQ(viewer.image()->picture(), wide);
    EXPECT_TRUE(key("PgDown"));
    EXPECT_EQ(lastEvent().text,
              "Impossible d'afficher zz.jpg : ce n'est pas une image que Quorvel sait lire.");
    ASSERT_NE(viewer.form(), nullptr);
    EXPECT_EQ(viewer.image()->picture(), wide);
    const std::size_t told = toolkit.events().size();
    EXPECT_TRUE(key("Right"));
    EXPECT_EQ(toolkit.events().size(), told);
    EXPECT_TRUE(key("Home"));
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_TRUE(key("PgDown"));
    EXPECT_TRUE(key("PgUp"));
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_FALSE(key("A"));
}

TEST_F(PhotoViewerTest, AClickOnThePictureOrOnTheMarginClosesAndAFreshOneOpensNext) {
    PhotoViewer& viewer = window->viewer();
    viewer.ViewPhoto(tall);
    Form* first = viewer.form();
    viewer.image()->click();
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_FALSE(shown(first));
    EXPECT_EQ(window->findControl("Form2"), nullptr);
    EXPECT_EQ(window->findControl("Image2"), nullptr);

    // A fresh window from its design state: the frame is set anew for the picture.
    viewer.ViewPhoto(wide);
    ASSERT_NE(viewer.form(), nullptr);
    EXPECT_TRUE(shown(viewer.form()));
    EXPECT_EQ(frame().left, 400);
    viewer.form()->click();
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_TRUE(std::none_of(toolkit.openForms().begin(), toolkit.openForms().end(),
                             [](const Form* f) { return f->name() == "Form2"; }));

    // The window's close box too.
    viewer.ViewPhoto(wide);
    viewer.form()->onClose();
    EXPECT_EQ(viewer.form(), nullptr);
    viewer.ViewPhoto(tall);
    EXPECT_EQ(viewer.image()->picture(), tall);
}

// The program ends with its main window: the viewer goes with it.
TEST_F(PhotoViewerTest, ClosingTheMainWindowClosesTheViewer) {
    PhotoViewer& viewer = window->viewer();
    viewer.ViewPhoto(wide);
    window->close();
    EXPECT_FALSE(shown(&window->form));
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_EQ(settings.writes().size(), 9u); // the six keys of Data and the options, once
    EXPECT_TRUE(toolkit.openForms().empty());
}

TEST_F(PhotoViewerTest, AFileThatCannotBeShownIsExplainedAndLeavesNoEmptyViewer) {
    PhotoViewer& viewer = window->viewer();
    viewer.ViewPhoto(tall);
    const std::string song = temp.file("photos/song.mp3", "ID3");
    viewer.ViewPhoto(song);
    // The open viewer keeps its picture in its frame.
    ASSERT_NE(viewer.form(), nullptr);
    EXPECT_TRUE(shown(viewer.form()));
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_EQ(frame().left, 4000);
    const ToolkitEvent& told = lastEvent();
    EXPECT_EQ(told.title, "Visionner la photo");
    EXPECT_EQ(told.icon, Icon::Error);
    EXPECT_EQ(told.text,
              "Impossible d'afficher song.mp3 : ce n'est pas une image que Quorvel sait lire.");

    // A closed viewer stays closed.
    viewer.image()->click();
    viewer.ViewPhoto(temp / "photos/gone.jpg");
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_TRUE(toolkit.openForms().size() == 1 && shown(&window->form));
    EXPECT_EQ(lastEvent().text, "Impossible d'afficher gone.jpg : le fichier n'existe pas.");
    viewer.ViewPhoto(wide);
    EXPECT_TRUE(shown(viewer.form()));
    EXPECT_EQ(viewer.image()->picture(), wide);
}

TEST_F(PhotoViewerTest, APictureTooLargeOrTooSlowToDecodeIsExplained) {
    PhotoViewer& viewer = window->viewer();
    pictures.faults[tall] = PictureFault::TooLarge;
    viewer.ViewPhoto(tall);
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_EQ(lastEvent().text,
              "Impossible d'afficher tall.jpg : l'image demanderait trop de mémoire.");
    pictures.faults[tall] = PictureFault::TooSlow;
    viewer.ViewPhoto(tall);
    EXPECT_EQ(lastEvent().text, "Impossible d'afficher tall.jpg : l'image est trop longue à lire.");
    // The frame the viewer asked for is the one of the picture's orientation.
    EXPECT_EQ(pictures.frames[tall].width, 7875);
    EXPECT_EQ(pictures.frames[tall].height, 10500);
}

class PhotoViewerInBackgroundTest : public PhotoViewerTest {
protected:
    void SetUp() override {
        wide = temp.file("photos/wide.jpg");
        pictures.sizes[wide] = {3000, 2000};
        tall = temp.file("photos/tall.jpg");
        pictures.sizes[tall] = {2000, 3000};
        window = std::make_unique<MainWindow>(
            Services{deferring, fs, settings, pictures, shell, clock, {programFolder, "quorvel"}},
            deferring);
        window->startUp();
    }
    DeferringToolkit deferring;
};

TEST_F(PhotoViewerInBackgroundTest, TheViewerShowsThePictureOfTheLastClick) {
    PhotoViewer& viewer = window->viewer();
    viewer.ViewPhoto(wide);
    // The window waits for its picture before it shows.
    ASSERT_NE(viewer.form(), nullptr);
    const auto& open = deferring.openForms();
    EXPECT_EQ(std::count(open.begin(), open.end(), viewer.form()), 0);
    viewer.ViewPhoto(tall);
    deferring.finish(1);
    EXPECT_EQ(std::count(open.begin(), open.end(), viewer.form()), 1);
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_EQ(frame().width, 7875);
    deferring.finish(0);
    EXPECT_TRUE(pictures.stopped[wide]);
    EXPECT_EQ(viewer.image()->picture(), tall);
    EXPECT_EQ(frame().width, 7875);

    // Closed before its picture came: nothing shows and nothing is said.
    viewer.ViewPhoto(wide);
    viewer.close();
    deferring.finish(0);
    EXPECT_EQ(viewer.form(), nullptr);
    EXPECT_TRUE(deferring.events().empty());
    viewer.ViewPhoto(tall);
    window.reset();
    deferring.finish(0);
}

} // namespace
} // namespace quorvel::test
