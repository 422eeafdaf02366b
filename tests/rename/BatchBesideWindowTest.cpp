#include "preview/Preview.h"
#include "rename/BatchRename.h"
#include "undo/UndoTestSupport.h"

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

// The run's batch goes on beside the window: what would change it is held still, "Arrêter"
// ends it after the file in hand, and quitting asks first.
class BatchBesideWindowTest : public UndoWindowTest {
protected:
    // Five photos to be named _Vacances 01, 03, 05...; 05 is taken when `collision`.
    MainWindow& fivePhotos(bool collision = false) {
        photos = temp.folder("Photos");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            temp.file(std::string("Photos/") + name, name);
        if (collision)
            temp.file("Photos/05_Vacances.jpg", "taken");
        MainWindow& w = vacances(photos);
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"})
            w.sourceFiles.setSelected(w.sourceFiles.indexOf(name), true);
        texts();
        return w;
    }
    // "Arrêter" once `files` files are done.
    void stopAfter(std::size_t files) {
        toolkit.onBatchStep = [this, files](std::size_t done) {
            if (done == files)
                window->stopButton.click();
        };
    }
    std::vector<Control*> heldStill(MainWindow& w) {
        return {&w.sourceDrives,    &w.sourceFolders,   &w.sourceFiles,     &w.targetDrives,
                &w.targetFolders,   &w.targetFiles,     &w.genericName,     &w.startIndex,
                &w.targetType,      &w.renameButton,    w.sourceButtons[4], w.sourceButtons[7],
                w.targetButtons[2], w.schemeOptions[1], &w.mnuAnnuler};
    }

    std::string photos;
};

TEST_F(BatchBesideWindowTest, WhileTheRunWaitsWhatWouldChangeItIsHeldStill) {
    MainWindow& w = fivePhotos(true);
    EXPECT_FALSE(w.stopButton.visible());
    duringWaits({[&] {
        for (Control* control : heldStill(w))
            EXPECT_TRUE(control->inert()) << control->name();
        // The panel, the view of the photos, the preview and "Arrêter" stay live.
        for (Control* control : std::vector<Control*>{
                 &w.problemOk, &w.noWarningBox, w.sourceButtons[6], &w.mnuApercu, &w.stopButton})
            EXPECT_FALSE(control->inert()) << control->name();
        EXPECT_TRUE(w.stopButton.visible());
        // A greyed command does nothing: no deletion question, no second run.
        w.sourceButtons[4]->click();
        w.renameButton.click();
        w.schemeOptions[1]->click();
        EXPECT_TRUE(toolkit.events().empty());
        EXPECT_TRUE(w.schemeOptions[0]->value());
        w.noWarningBox.click();
        w.problemOk.click();
    }});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 6 présents."});
    for (Control* control : heldStill(w))
        EXPECT_FALSE(control->inert()) << control->name();
    EXPECT_FALSE(w.stopButton.visible());
}

// Stopped after two files: the result tells what was left, the two renames stay journaled,
// and undo takes them back.
TEST_F(BatchBesideWindowTest, StopAfterTwoFilesLeavesTheRestAndCanBeUndone) {
    MainWindow& w = fivePhotos();
    stopAfter(2);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 5 présents.\r\n"
                             "Lot arrêté : 3 fichiers n'ont pas été traités."});
    EXPECT_EQ(namesIn(photos),
              (Names{"01_Vacances.jpg", "03_Vacances.jpg", "c.jpg", "d.jpg", "e.jpg"}));
    EXPECT_FALSE(w.batch().running());
    EXPECT_FALSE(w.stopButton.visible());
    EXPECT_TRUE(w.mnuAnnuler.enabled());
    undo();
    EXPECT_EQ(namesIn(photos), (Names{"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}));
}

// Pressed as the last file is done, nothing is left: the result is the usual one.
TEST_F(BatchBesideWindowTest, StopWithTheLastFileInHandChangesNothing) {
    MainWindow& w = fivePhotos();
    stopAfter(5);
    w.renameButton.click();
    EXPECT_EQ(texts(), Names{"5 fichiers ont été renommés sur les 5 présents."});
}

// "Arrêter" (here by Escape's button) while the panel waits ends the wait and the batch.
TEST_F(BatchBesideWindowTest, StopDuringTheWaitEndsItWithoutAnAnswer) {
    MainWindow& w = fivePhotos(true);
    EXPECT_TRUE(w.stopButton.cancel);
    duringWaits({[&] { w.stopButton.click(); }});
    w.renameButton.click();
    EXPECT_EQ(waits, 1);
    EXPECT_FALSE(w.problemPanel.visible());
    EXPECT_EQ(texts(), Names{"2 fichiers ont été renommés sur les 6 présents.\r\n"
                             "Lot arrêté : 2 fichiers n'ont pas été traités."});
    EXPECT_EQ(namesIn(photos), (Names{"01_Vacances.jpg", "03_Vacances.jpg", "05_Vacances.jpg",
                                      "c.jpg", "d.jpg", "e.jpg"}));
}

// Quitting during the wait asks; No leaves the batch as it was, Yes stops it, shows its
// result and then closes the window.
TEST_F(BatchBesideWindowTest, QuittingDuringABatchAsksThenStopsAndQuits) {
    MainWindow& w = fivePhotos(true);
    duringWaits({[&] {
                     toolkit.queueAnswer(false);
                     w.mnuQuitter.click();
                     EXPECT_FALSE(w.closed());
                     EXPECT_TRUE(w.problemPanel.visible());
                     EXPECT_TRUE(w.batch().running());
                 },
                 [&] {
                     toolkit.queueAnswer(true);
                     w.quitButton.click();
                 }});
    w.renameButton.click();
    EXPECT_EQ(waits, 2);
    const auto& events = toolkit.events();
    ASSERT_EQ(events.size(), 3u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(events[i].title, " Quitter?");
        EXPECT_EQ(events[i].text, "Un lot est en cours : l'arrêter et quitter ?");
        EXPECT_EQ(events[i].buttons, Buttons::YesNoDefaultNo);
    }
    EXPECT_EQ(events[2].text, "2 fichiers ont été renommés sur les 6 présents.\r\n"
                              "Lot arrêté : 2 fichiers n'ont pas été traités.");
    EXPECT_TRUE(w.closed());
    EXPECT_TRUE(toolkit.openForms().empty());
}

// The program ends with its main window: the preview and the viewer go with it.
TEST_F(BatchBesideWindowTest, QuittingClosesThePreviewAndTheViewer) {
    MainWindow& w = fivePhotos();
    w.mnuApercu.click();
    ASSERT_NE(w.preview().form(), nullptr);
    ASSERT_EQ(toolkit.openForms().size(), 2u);
    w.mnuQuitter.click();
    EXPECT_TRUE(w.closed());
    EXPECT_EQ(w.preview().form(), nullptr);
    EXPECT_TRUE(toolkit.openForms().empty());
}

} // namespace
} // namespace quorvel::test
