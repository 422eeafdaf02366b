#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtToolkit.h"
#include "preview/Preview.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "view/FormWindow.h"
#include "view/ProgramWindows.h"
#include "view/QtFormHost.h"
#include "view/WindowPlacement.h"
#include "viewer/PhotoViewer.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QMimeData>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cstdio>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

QAccessibleInterface* accessible(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget);
}

// The program's main window on the real toolkit over a folder of six small photographs.
class FollowingWindowTest : public testing::Test {
protected:
    FollowingWindowTest() {
        for (int i = 1; i <= 6; ++i)
            photo("IMG_" + std::to_string(i) + ".jpg");
        forms.onWindowCreated = dressProgramWindow;
        window.startUp();
        window.sourceFolders.setPath(folder);
        forms.showForm(window.form);
        QApplication::setActiveWindow(main());
    }
    ~FollowingWindowTest() override {
        forms.closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void photo(const std::string& name) {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        ASSERT_TRUE(image.save(QString::fromStdString(folder + "/" + name), "JPEG"));
    }
    FormWindow* main() { return forms.windowOf(window.form); }
    template <typename W> W* view(const std::string& name) {
        return dynamic_cast<W*>(main()->widgetOf(name));
    }
    void click(QListView* list, int row, Qt::KeyboardModifiers modifiers = {}) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, modifiers,
                          list->visualRect(list->model()->index(row, 0)).center());
    }
    std::string counter() const { return window.selectionCount.text(); }

    QTemporaryDir temp;
    const std::string folder = temp.path().toStdString();
    QtToolkit toolkit;
    QtFormHost forms{toolkit};
    PosixFileSystem fs;
    MemorySettingsStore settings;
    QtPictures pictures;
    RecordingShell shell;
    SystemClock clock;
    MainWindow window{Services{toolkit, fs, settings, pictures, shell, clock, {folder, "quorvel"}},
                      forms};
};

TEST_F(FollowingWindowTest, TheMainWindowGrowsAndItsPanesTakeTheRoom) {
    FormWindow* shown = main();
    const QSize designed = shown->size();
    EXPECT_EQ(shown->minimumSize(), designed);
    const Geometry filesTwips = window.sourceFiles.geometry();
    const QRect files = view<QWidget>("File1")->geometry();
    const QRect name = view<QWidget>("Text1")->geometry();
    const QRect strip = view<QWidget>("Frame4")->geometry();
    const QRect quit = view<QWidget>("Command3")->geometry();

    shown->resize(designed + QSize(600, 300));
    const QRect filesAfter = view<QWidget>("File1")->geometry();
    EXPECT_EQ(filesAfter.width(), files.width() + 200);
    EXPECT_GT(filesAfter.height(), files.height() + 150);
    // What lies under a list follows it down, inside the pane.
    const QRect status = view<QWidget>("Text3")->geometry();
    EXPECT_GE(status.top(), filesAfter.bottom());
    EXPECT_LE(status.bottom(), view<QWidget>("Frame1")->height());
    // The rename panel keeps its size; what stands right of a pane moves over.
    EXPECT_EQ(view<QWidget>("Text1")->geometry().size(), name.size());
    EXPECT_EQ(view<QWidget>("Command3")->x(), quit.x() + 200);
    const QRect stripAfter = view<QWidget>("Frame4")->geometry();
    EXPECT_EQ(stripAfter.width(), strip.width() + 200);
    EXPECT_GT(view<QWidget>("TN(0)")->width(),
              shown->pixels(window.stripPictures[0]->geometry().width));
    // The model keeps its twips: the runner prints them.
    EXPECT_EQ(window.sourceFiles.geometry().height, filesTwips.height);

    shown->resize(designed - QSize(100, 100));
    EXPECT_EQ(shown->size(), designed);
    EXPECT_EQ(view<QWidget>("File1")->geometry(), files);
}

TEST_F(FollowingWindowTest, OtherWindowsOpenOverTheMiddleOfTheMainWindow) {
    main()->move(300, 200);
    window.aboutButton.click();
    FormWindow* about = forms.windowOf(*window.about().form());
    ASSERT_NE(about, nullptr);
    EXPECT_LE(
        (about->frameGeometry().center() - main()->frameGeometry().center()).manhattanLength(), 4);
    window.mnuApercu.click();
    FormWindow* preview = forms.windowOf(*window.preview().form());
    ASSERT_NE(preview, nullptr);
    EXPECT_LE(
        (preview->frameGeometry().center() - main()->frameGeometry().center()).manhattanLength(),
        4);
}

TEST_F(FollowingWindowTest, TheWindowComesBackWhereAndAsLargeAsItWasLeft) {
    FormWindow* shown = main();
    const QSize designed = shown->size();
    keepPlacement(*shown, settings, "quorvel");
    shown->resize(designed + QSize(120, 80));
    shown->move(40, 30);
    window.close();
    EXPECT_EQ(settings.read("quorvel", "Fenetre", "Largeur"),
              std::to_string(designed.width() + 120));
    EXPECT_EQ(settings.read("quorvel", "Fenetre", "Hauteur"),
              std::to_string(designed.height() + 80));
    EXPECT_EQ(settings.read("quorvel", "Fenetre", "Gauche"), "40");

    // Restored on a window of the same form; a size below the designed one is not taken.
    Form again("Form1", 13380, 7065);
    FormWindow restored(again);
    restored.makeStretchable();
    keepPlacement(restored, settings, "quorvel");
    EXPECT_EQ(restored.size(), designed + QSize(120, 80));
    EXPECT_EQ(restored.pos(), QPoint(40, 30));
    settings.write("quorvel", "Fenetre", "Largeur", "10");
    settings.write("quorvel", "Fenetre", "Gauche", "-90000");
    FormWindow small(again);
    small.makeStretchable();
    const QPoint before = small.pos();
    keepPlacement(small, settings, "quorvel");
    EXPECT_GE(small.width(), small.minimumWidth());
    EXPECT_EQ(small.pos(), before);
}

TEST_F(FollowingWindowTest, FileListsSelectAsEveryFileManagerDoes) {
    for (const char* name : {"File1", "File2"}) {
        SCOPED_TRACE(name);
        FileList& files = std::string(name) == "File1" ? window.sourceFiles : window.targetFiles;
        auto* list = view<QListView>(name);
        ASSERT_EQ(files.count(), 6);
        click(list, 1);
        click(list, 3);
        EXPECT_EQ(files.selectedRows(), (std::vector<int>{3}));
        click(list, 1, Qt::ControlModifier);
        EXPECT_EQ(files.selectedRows(), (std::vector<int>{1, 3}));
        click(list, 3, Qt::ControlModifier);
        EXPECT_EQ(files.selectedRows(), (std::vector<int>{1}));
        click(list, 1);
        click(list, 4, Qt::ShiftModifier);
        EXPECT_EQ(files.selectedRows(), (std::vector<int>{1, 2, 3, 4}));
        EXPECT_EQ(files.current(), 4);
        // Shift+arrows extend from the row chosen last, shrinking back as well.
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
        EXPECT_EQ(files.selectedRows(), (std::vector<int>{1, 2, 3}));
        QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
        EXPECT_EQ(files.selectedCount(), 6);
        // Arrows alone move, Space toggles, as before.
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Space);
        EXPECT_EQ(files.selectedCount(), 5);
    }
    // The counter is the source list's selection, every row when none is.
    EXPECT_EQ(window.sourceFiles.selectedCount(), 0);
    auto* source = view<QListView>("File1");
    click(source, 0);
    click(source, 2, Qt::ShiftModifier);
    EXPECT_EQ(counter(), "   Fichiers sélectionnés = 3");
    window.sourceFiles.refresh();
    EXPECT_EQ(counter(), "   Fichiers sélectionnés = 6");
}

TEST_F(FollowingWindowTest, TheViewerBrowsesTheListAndAThumbnailShowsInIt) {
    const auto waitFor = [&](const std::string& name) {
        return QTest::qWaitFor([&] {
            return window.viewer().image() != nullptr &&
                   window.viewer().image()->picture() == folder + "/" + name;
        });
    };
    window.sourceFiles.setCurrent(0);
    window.sourceButtons[6]->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.stripPictures[3]->picture().empty(); }));
    // Tab and the arrows reach the thumbnails; Enter opens one.
    auto* first = view<QWidget>("TN(0)");
    EXPECT_TRUE(first->focusPolicy() & Qt::TabFocus);
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view<QWidget>("TN(1)"));
    first->setFocus();
    QTest::keyClick(first, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), view<QWidget>("TN(1)"));
    QTest::keyClick(view<QWidget>("TN(1)"), Qt::Key_Return);
    ASSERT_TRUE(waitFor("IMG_2.jpg"));
    FormWindow* viewer = forms.windowOf(*window.viewer().form());
    ASSERT_NE(viewer, nullptr);

    QTest::keyClick(viewer, Qt::Key_Right);
    EXPECT_TRUE(waitFor("IMG_3.jpg"));
    QTest::keyClick(viewer, Qt::Key_PageDown);
    EXPECT_TRUE(waitFor("IMG_4.jpg"));
    QTest::keyClick(viewer, Qt::Key_Left);
    EXPECT_TRUE(waitFor("IMG_3.jpg"));
    QTest::keyClick(viewer, Qt::Key_End);
    EXPECT_TRUE(waitFor("IMG_6.jpg"));
    QTest::keyClick(viewer, Qt::Key_Right);
    EXPECT_EQ(window.viewer().wanted(), folder + "/IMG_6.jpg");
    QTest::keyClick(viewer, Qt::Key_Home);
    EXPECT_TRUE(waitFor("IMG_1.jpg"));

    // Another thumbnail clicked while the viewer is open shows in it.
    QTest::mouseClick(view<QWidget>("TN(2)"), Qt::LeftButton);
    EXPECT_TRUE(waitFor("IMG_3.jpg"));
    ASSERT_NE(window.viewer().form(), nullptr);
    QTest::keyClick(forms.windowOf(*window.viewer().form()), Qt::Key_Escape);
    EXPECT_EQ(window.viewer().form(), nullptr);
}

TEST_F(FollowingWindowTest, APhotoWhoseNameIsNotUtf8IsShown) {
    const std::string plain = folder + "/plain.jpg";
    const std::string latin1 = folder + "/caf\xe9.jpg";
    photo("plain.jpg");
    ASSERT_EQ(std::rename(plain.c_str(), latin1.c_str()), 0);
    const LoadedPicture loaded = pictures.load(latin1,
                                               [](const PictureSize&) {
                                                   return PictureSize{600, 450};
                                               },
                                               {});
    ASSERT_TRUE(loaded.natural.has_value());
    EXPECT_EQ(loaded.natural->width, 64);
    EXPECT_NE(loaded.picture, nullptr);
    // The temporary folder's own clean-up goes through decoded names.
    std::remove(latin1.c_str());
}

QMimeData* urls(const std::vector<std::string>& paths) {
    auto* data = new QMimeData;
    QList<QUrl> list;
    for (const std::string& path : paths)
        list << QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
    data->setUrls(list);
    return data;
}

void drop(QWidget* pane, QMimeData* data) {
    const QPoint middle(pane->width() / 2, pane->height() / 2);
    QDragEnterEvent enter(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &enter);
    QDropEvent event(middle, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pane, &event);
    delete data;
}

TEST_F(FollowingWindowTest, AFolderDroppedOnAPaneOpensAndFilesAreSelected) {
    const std::string other = temp.filePath("Tri").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(other)));
    photo("Tri/x.jpg");
    photo("Tri/y.jpg");
    photo("Tri/z.jpg");
    drop(view<QWidget>("Frame2"), urls({other}));
    EXPECT_EQ(window.targetFolders.path(), other);
    EXPECT_EQ(window.sourceFolders.path(), folder);
    // Files dropped on the target pane are not taken.
    drop(view<QWidget>("Frame2"), urls({folder + "/IMG_1.jpg"}));
    EXPECT_EQ(window.targetFolders.path(), other);

    drop(view<QWidget>("Frame1"), urls({other + "/x.jpg", other + "/z.jpg"}));
    EXPECT_EQ(window.sourceFolders.path(), other);
    EXPECT_EQ(window.sourceFiles.selectedRows(), (std::vector<int>{0, 2}));
    EXPECT_EQ(counter(), "   Fichiers sélectionnés = 2");
}

TEST_F(FollowingWindowTest, AScreenReaderHearsWhatEachPartIs) {
    EXPECT_EQ(accessible(main())->role(), QAccessible::Window);
    EXPECT_EQ(accessible(view<QWidget>("Frame4"))->text(QAccessible::Name), "Vignettes");
    EXPECT_EQ(accessible(view<QWidget>("Frame8"))->text(QAccessible::Name), "Nombre de chiffres");
    // Combo boxes by their label, their text as value.
    EXPECT_EQ(accessible(view<QWidget>("Combo1"))->text(QAccessible::Name), "Type source");
    EXPECT_EQ(accessible(view<QWidget>("Combo1"))->text(QAccessible::Value), "jpg");
    EXPECT_EQ(accessible(view<QWidget>("Combo3"))->text(QAccessible::Name), "Extension cible");
    EXPECT_EQ(accessible(view<QWidget>("Drive1"))->text(QAccessible::Name), "Lecteur source");
    EXPECT_EQ(accessible(view<QWidget>("Drive1"))->role(), QAccessible::ComboBox);
    // Status lines are read, not Tab stops; the user starts in the source files.
    for (const char* status : {"Text3", "Text4", "Text6"})
        EXPECT_FALSE(view<QWidget>(status)->focusPolicy() & Qt::TabFocus) << status;
    EXPECT_EQ(main()->focusWidget(), view<QWidget>("File1"));
    // The capture-date item tells that it can be ticked.
    auto* exif = main()->menuBar()->findChild<QAction*>("mnuExif");
    ASSERT_NE(exif, nullptr);
    EXPECT_TRUE(exif->isCheckable());
    // A thumbnail and its label are named after the file, an empty one not after the strip.
    EXPECT_EQ(accessible(view<QWidget>("NomTN(0)"))->text(QAccessible::Name).trimmed(), "");
    window.sourceFiles.setCurrent(0);
    window.sourceButtons[6]->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.stripPictures[0]->picture().empty(); }));
    EXPECT_EQ(accessible(view<QWidget>("TN(0)"))->text(QAccessible::Name), "IMG_1.jpg");
    EXPECT_EQ(accessible(view<QWidget>("NomTN(0)"))->text(QAccessible::Name), "IMG_1.jpg");

    window.aboutButton.click();
    EXPECT_EQ(accessible(forms.windowOf(*window.about().form()))->role(), QAccessible::Dialog);
    window.mnuApercu.click();
    FormWindow* preview = forms.windowOf(*window.preview().form());
    EXPECT_EQ(accessible(preview)->role(), QAccessible::Dialog);
    EXPECT_EQ(accessible(preview->widgetOf("Liste"))->text(QAccessible::Name), "Aperçu du lot");
}

} // namespace
} // namespace quorvel
