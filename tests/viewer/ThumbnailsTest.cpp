#include "viewer/Thumbnails.h"

#include "support/Window.h"
#include "viewer/PhotoViewer.h"

#include <functional>

namespace quorvel::test {
namespace {

bool operator==(const Geometry& a, const Geometry& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}

struct Slot {
    std::string name;
    std::string picture;
    Geometry frame;
    bool operator==(const Slot&) const = default;
};

void PrintTo(const Slot& slot, std::ostream* out) {
    *out << "{" << slot.name << ", " << slot.picture << ", left " << slot.frame.left << ", top "
         << slot.frame.top << ", " << slot.frame.width << " x " << slot.frame.height << "}";
}

const Geometry landscape[] = {{330, 360, 1740, 1305},
                              {330, 2040, 1740, 1305},
                              {330, 3720, 1740, 1305},
                              {330, 5400, 1740, 1305}};
const Geometry portrait[] = {
    {470, 360, 980, 1305}, {470, 2040, 980, 1305}, {470, 3720, 980, 1305}, {470, 5400, 980, 1305}};

class ThumbnailsTest : public WindowTest {
protected:
    // Landscape photographs IMG_01.jpg, IMG_02.jpg... in "photos", the panes on it.
    void photos(int count = 10) {
        folder = temp.folder("photos");
        for (int i = 1; i <= count; ++i) {
            const std::string name =
                "IMG_" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ".jpg";
            pictures.sizes[temp.file("photos/" + name)] = {3000, 2000};
        }
        start();
        openSource(folder);
    }

    Slot slot(int i) {
        const Image& image = *window->stripPictures[static_cast<std::size_t>(i)];
        return {window->stripNames[static_cast<std::size_t>(i)]->caption(), image.picture(),
                image.geometry()};
    }

    bool slotVisible(int i) {
        return window->stripPictures[static_cast<std::size_t>(i)]->visible() &&
               window->stripNames[static_cast<std::size_t>(i)]->visible();
    }

    std::string path(const std::string& name) { return folder + "/" + name; }

    std::string folder;
};

TEST_F(ThumbnailsTest, StripStartsAtTheCurrentRowAndLeavesBlankSlotsPastTheEnd) {
    photos();
    MainWindow& w = *window;
    w.sourceFiles.toggle(8);
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0), (Slot{"IMG_09.jpg", path("IMG_09.jpg"), landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"IMG_10.jpg", path("IMG_10.jpg"), landscape[1]}));
    EXPECT_EQ(slot(2), (Slot{"", "", landscape[2]}));
    EXPECT_EQ(slot(3), (Slot{"", "", landscape[3]}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(slotVisible(i)) << i;
    // The strip fills slot by slot, under the busy pointer.
    EXPECT_EQ(toolkit.pendingPumps(), 4);
    EXPECT_FALSE(toolkit.busy());
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(ThumbnailsTest, TheCurrentRowCountsNotTheSelection) {
    photos(12);
    MainWindow& w = *window;
    w.sourceFiles.toggle(2);
    w.sourceFiles.toggle(5);
    w.sourceFiles.toggle(7);
    w.sourceButtons[6]->click();
    for (int i = 0; i < 4; ++i) {
        const std::string name = w.sourceFiles.row(7 + i);
        EXPECT_EQ(slot(i), (Slot{name, path(name), landscape[i]})) << i;
    }

    // Unselecting the last row clicked leaves it current: the strip still starts there.
    w.sourceFiles.toggle(11);
    w.sourceFiles.toggle(11);
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0).name, "IMG_12.jpg");
    EXPECT_EQ(slot(1).name, "");
}

TEST_F(ThumbnailsTest, WithoutCurrentRowTheFirstSlotIsBlankAndTheOthersStartAtTheTop) {
    photos();
    MainWindow& w = *window;
    w.sourceFiles.toggle(5);
    w.sourceButtons[6]->click();
    ASSERT_EQ(slot(0).name, "IMG_06.jpg");
    // A re-read leaves no current row: slot i shows row -1 + i.
    w.sourceFiles.refresh();
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0), (Slot{"", "", landscape[0]}));
    for (int i = 1; i < 4; ++i) {
        const std::string name = w.sourceFiles.row(i - 1);
        EXPECT_EQ(slot(i), (Slot{name, path(name), landscape[i]})) << i;
    }
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(slotVisible(i)) << i;
}

TEST_F(ThumbnailsTest, FramesFollowTheOrientationAndNonPicturesKeepTheirName) {
    folder = temp.folder("mixed");
    pictures.sizes[temp.file("mixed/a.jpg")] = {2000, 3000}; // portrait
    pictures.sizes[temp.file("mixed/b.jpg")] = {2000, 2000}; // square: landscape
    temp.file("mixed/c.jpg", "not a picture");
    pictures.sizes[temp.file("mixed/d.jpg")] = {2999, 3000}; // barely portrait
    start();
    openSource(folder);
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0), (Slot{"a.jpg", path("a.jpg"), portrait[0]}));
    EXPECT_EQ(slot(1), (Slot{"b.jpg", path("b.jpg"), landscape[1]}));
    EXPECT_EQ(slot(2), (Slot{"c.jpg", "", landscape[2]}));
    EXPECT_EQ(slot(3), (Slot{"d.jpg", path("d.jpg"), portrait[3]}));

    // A second fill gives every slot its frame afresh.
    w.sourceFiles.toggle(1);
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0), (Slot{"b.jpg", path("b.jpg"), landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"c.jpg", "", landscape[1]}));
    EXPECT_EQ(slot(2), (Slot{"d.jpg", path("d.jpg"), portrait[2]}));
    EXPECT_EQ(slot(3), (Slot{"", "", landscape[3]}));
}

TEST_F(ThumbnailsTest, ThumbnailClickLooksTheNameUpInTheStripPanesFolderAsItIsNow) {
    photos();
    const std::string other = temp.folder("other");
    pictures.sizes[temp.file("other/IMG_01.jpg")] = {2000, 3000};
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    w.stripPictures[0]->click();
    ASSERT_NE(w.viewer().form(), nullptr);
    EXPECT_EQ(w.viewer().image()->picture(), path("IMG_01.jpg"));

    // The strip keeps its thumbnails; the click looks the name up where the pane is now.
    openSource(other);
    EXPECT_EQ(slot(0).picture, path("IMG_01.jpg"));
    w.stripPictures[0]->click();
    EXPECT_EQ(w.viewer().image()->picture(), other + "/IMG_01.jpg");
    EXPECT_EQ(w.viewer().image()->geometry().width, 7875);

    // A name missing from the new folder: the viewer says so and keeps the picture it has.
    toolkit.clearEvents();
    w.stripPictures[1]->click();
    EXPECT_EQ(w.viewer().image()->picture(), other + "/IMG_01.jpg");
    EXPECT_EQ(texts(), std::vector<std::string>{"Impossible d'afficher IMG_02.jpg : le fichier "
                                                "n'existe pas."});

    // An empty slot does nothing.
    w.viewer().close();
    toolkit.clearEvents();
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    ASSERT_EQ(slot(1).name, "");
    w.stripPictures[1]->click();
    EXPECT_EQ(w.viewer().form(), nullptr);
    EXPECT_TRUE(toolkit.events().empty());
}

TEST_F(ThumbnailsTest, StripFilledFromTheTargetPaneOpensTheTargetFolder) {
    photos();
    const std::string target = temp.folder("target");
    pictures.sizes[temp.file("target/x.jpg")] = {3000, 2000};
    pictures.sizes[temp.file("target/y.jpg")] = {2000, 3000};
    MainWindow& w = *window;
    ASSERT_EQ(w.targetFolders.setPath(target), 0);
    w.targetFiles.toggle(0);
    w.targetButtons[6]->click();
    EXPECT_EQ(&w.thumbnails().stripList(), &w.targetFiles);
    EXPECT_EQ(slot(0), (Slot{"x.jpg", target + "/x.jpg", landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"y.jpg", target + "/y.jpg", portrait[1]}));
    w.stripPictures[1]->click();
    EXPECT_EQ(w.viewer().image()->picture(), target + "/y.jpg");

    // Any name but "File2", letter case included, means the source pane.
    w.sourceFiles.toggle(3);
    w.thumbnails().ShowSelection("file2");
    EXPECT_EQ(&w.thumbnails().stripList(), &w.sourceFiles);
    EXPECT_EQ(slot(0).name, "IMG_04.jpg");
}

// A toolkit whose event processing runs the user's actions of the test.
class ActingToolkit : public ScriptedToolkit {
public:
    void processPendingEvents() override {
        ScriptedToolkit::processPendingEvents();
        busyDuringFill.push_back(busy());
        if (act)
            std::exchange(act, nullptr)();
    }
    std::function<void()> act;
    std::vector<bool> busyDuringFill;
};

class ThumbnailsDuringFillTest : public ThumbnailsTest {
protected:
    void startActing() {
        folder = temp.folder("photos");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
            pictures.sizes[temp.file(std::string("photos/") + name)] = {3000, 2000};
        window = std::make_unique<MainWindow>(
            Services{acting, fs, settings, pictures, shell, clock, {programFolder, "quorvel"}},
            acting);
        window->startUp();
        openSource(folder);
    }
    ActingToolkit acting;
};

TEST_F(ThumbnailsDuringFillTest, ANewFillStartedDuringAFillTakesTheStripOver) {
    startActing();
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    // After the first slot, the user clicks row 4 and asks for the strip again.
    acting.act = [&] {
        w.sourceFiles.toggle(4);
        w.sourceButtons[6]->click();
    };
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0).name, "e.jpg");
    EXPECT_EQ(slot(1).name, "f.jpg");
    EXPECT_EQ(slot(2).name, "");
    EXPECT_EQ(slot(3).name, "");
    EXPECT_FALSE(acting.busy());
    EXPECT_EQ(acting.busyDuringFill, (std::vector<bool>{true, true, true, true, true}));
}

TEST_F(ThumbnailsDuringFillTest, AFolderChangeDuringTheFillDoesNotMixTwoFolders) {
    startActing();
    const std::string other = temp.folder("other");
    pictures.sizes[temp.file("other/b.jpg")] = {2000, 3000};
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    acting.act = [&] { openSource(other); };
    w.sourceButtons[6]->click();
    for (int i = 0; i < 4; ++i) {
        const std::string name(1, static_cast<char>('a' + i));
        EXPECT_EQ(slot(i), (Slot{name + ".jpg", path(name + ".jpg"), landscape[i]})) << i;
    }
    // The click afterwards takes the folder the pane shows now.
    w.stripPictures[1]->click();
    EXPECT_EQ(w.viewer().image()->picture(), other + "/b.jpg");
}

TEST_F(ThumbnailsDuringFillTest, ClosingTheMainWindowDuringTheFillEndsIt) {
    startActing();
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    acting.act = [&] { w.close(); };
    w.sourceButtons[6]->click();
    EXPECT_TRUE(w.closed());
    EXPECT_EQ(slot(0).name, "a.jpg");
    EXPECT_EQ(slot(1).name, "");
    EXPECT_FALSE(acting.busy());
}

// The pictures arrive when the test says, as from decoders running beside the window.
class ThumbnailsInBackgroundTest : public ThumbnailsTest {
protected:
    void startDeferring() {
        folder = temp.folder("photos");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg", "f.jpg"})
            pictures.sizes[temp.file(std::string("photos/") + name)] = {3000, 2000};
        window = std::make_unique<MainWindow>(
            Services{deferring, fs, settings, pictures, shell, clock, {programFolder, "quorvel"}},
            deferring);
        window->startUp();
        openSource(folder);
    }
    DeferringToolkit deferring;
};

TEST_F(ThumbnailsInBackgroundTest, SlotsShowInOrderAndANewerFillDropsTheOldersLatePictures) {
    startDeferring();
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    ASSERT_EQ(deferring.pending(), 4u);
    EXPECT_TRUE(deferring.busy());
    // b is ready before a: it waits, hidden and nameless, for the slot above it.
    deferring.finish(1);
    EXPECT_EQ(slot(1), (Slot{"", "", landscape[1]}));
    EXPECT_FALSE(slotVisible(1));
    deferring.finish(0);
    EXPECT_EQ(slot(0), (Slot{"a.jpg", path("a.jpg"), landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"b.jpg", path("b.jpg"), landscape[1]}));
    EXPECT_TRUE(slotVisible(1));
    EXPECT_FALSE(slotVisible(2));

    // The user asks for the strip from row 4 while c and d are still being decoded.
    w.sourceFiles.toggle(4);
    w.sourceButtons[6]->click();
    ASSERT_EQ(deferring.pending(), 4u);
    EXPECT_EQ(slot(0).name, "");
    deferring.finish(0);
    deferring.finish(0);
    EXPECT_TRUE(pictures.stopped[path("c.jpg")]);
    EXPECT_TRUE(pictures.stopped[path("d.jpg")]);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(slot(i), (Slot{"", "", landscape[i]})) << i;
    EXPECT_TRUE(deferring.busy());
    deferring.finish(1);
    deferring.finish(0);
    EXPECT_FALSE(pictures.stopped[path("e.jpg")]);
    EXPECT_EQ(slot(0), (Slot{"e.jpg", path("e.jpg"), landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"f.jpg", path("f.jpg"), landscape[1]}));
    EXPECT_EQ(slot(2), (Slot{"", "", landscape[2]}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(slotVisible(i)) << i;
    EXPECT_FALSE(deferring.busy());
}

TEST_F(ThumbnailsInBackgroundTest, PicturesThatComeAfterTheWindowIsClosedOrGoneAreDropped) {
    startDeferring();
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    w.close();
    EXPECT_FALSE(deferring.busy());
    deferring.finish(0);
    EXPECT_TRUE(pictures.stopped[path("a.jpg")]);
    EXPECT_EQ(slot(0).name, "");

    // The window itself gone: the completions find nobody to tell.
    window.reset();
    while (deferring.pending() > 0)
        deferring.finish(0);
    EXPECT_TRUE(pictures.stopped[path("d.jpg")]);
}

TEST_F(ThumbnailsTest, APictureTooLargeOrTooSlowToDecodeKeepsItsNameAndNoPicture) {
    folder = temp.folder("photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        pictures.sizes[temp.file(std::string("photos/") + name)] = {2000, 3000};
    pictures.faults[path("a.jpg")] = PictureFault::TooLarge;
    pictures.faults[path("b.jpg")] = PictureFault::TooSlow;
    start();
    openSource(folder);
    MainWindow& w = *window;
    w.sourceFiles.toggle(0);
    w.sourceButtons[6]->click();
    EXPECT_EQ(slot(0), (Slot{"a.jpg", "", landscape[0]}));
    EXPECT_EQ(slot(1), (Slot{"b.jpg", "", landscape[1]}));
    EXPECT_EQ(slot(2), (Slot{"c.jpg", path("c.jpg"), portrait[2]}));
    // Each picture is decoded for the frame its orientation takes.
    EXPECT_EQ(pictures.frames[path("c.jpg")].width, 980);
    EXPECT_EQ(pictures.frames[path("c.jpg")].height, 1305);
    EXPECT_TRUE(toolkit.events().empty());
}

} // namespace
} // namespace quorvel::test
