#include "view/ProgramWindows.h"

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "app/OffsetDialog.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtToolkit.h"
#include "preview/Preview.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "view/FormWindow.h"
#include "view/QtFormHost.h"
#include "viewer/PhotoViewer.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// The program's main window on the real toolkit, its windows dressed as the program does.
class ProgramWindowsTest : public testing::Test {
protected:
    ProgramWindowsTest() {
        forms.onWindowCreated = dressProgramWindow;
        window.startUp();
        forms.showForm(window.form);
    }
    ~ProgramWindowsTest() override {
        forms.closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    FormWindow* shown(Form* form) { return form == nullptr ? nullptr : forms.windowOf(*form); }
    void pressF1(FormWindow* target) {
        QApplication::setActiveWindow(target);
        QTest::keyClick(target, Qt::Key_F1);
    }

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

TEST_F(ProgramWindowsTest, F1InTheMainWindowOpensTheHelpFileBesideTheProgram) {
    FormWindow* main = shown(&window.form);
    ASSERT_NE(main, nullptr);
    pressF1(main);
    ASSERT_EQ(shell.calls().size(), 1u);
    EXPECT_EQ(shell.calls()[0].operation, "Help");
    EXPECT_EQ(shell.calls()[0].document, folder + "/Quorvel.chm");

    // F1 in a control of the window is the window's too.
    QWidget* list = main->widgetOf("File1");
    ASSERT_NE(list, nullptr);
    list->setFocus();
    QTest::keyClick(list, Qt::Key_F1);
    EXPECT_EQ(shell.calls().size(), 2u);

    // The about box has no help of its own.
    window.aboutButton.click();
    FormWindow* about = shown(window.about().form());
    ASSERT_NE(about, nullptr);
    pressF1(about);
    EXPECT_EQ(shell.calls().size(), 2u);
}

TEST_F(ProgramWindowsTest, TheMenuBarLiesAboveAClientAreaOfTheFormsSize) {
    FormWindow* main = shown(&window.form);
    ASSERT_NE(main, nullptr);
    QMenuBar* bar = main->menuBar();
    ASSERT_NE(bar, nullptr);
    QStringList titles;
    for (QAction* menu : bar->actions()) {
        if (menu->isVisible())
            titles << menu->text();
    }
    // The menus without an item yet stay out of the bar.
    EXPECT_EQ(titles, (QStringList{"&Fichier", "&Édition", "&Options", "&Aide"}));

    auto* client = main->findChild<QWidget*>("client");
    ASSERT_NE(client, nullptr);
    EXPECT_EQ(client->geometry(), QRect(0, bar->height(), main->pixels(13380), main->pixels(7065)));
    // Below it, the status line where progress shows.
    auto* status = main->findChild<QLabel*>("progress");
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->geometry(), QRect(0, client->geometry().bottom() + 1, client->width(),
                                        main->height() - bar->height() - client->height()));
    EXPECT_GT(status->height(), 0);
    EXPECT_GT(bar->height(), 0);
    // The controls keep their places inside the client area.
    QWidget* quit = main->widgetOf("Command3");
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->parentWidget(), client);
    EXPECT_EQ(quit->pos(), QPoint(main->pixels(3600), main->pixels(6120)));
}

TEST_F(ProgramWindowsTest, ShortcutsOfTheMenuReachTheirItems) {
    FormWindow* main = shown(&window.form);
    ASSERT_NE(main, nullptr);
    auto* about = main->findChild<QAction*>("mnuAPropos");
    ASSERT_NE(about, nullptr);
    about->trigger();
    EXPECT_NE(window.about().form(), nullptr);
    window.about().close();

    QApplication::setActiveWindow(main);
    QTest::keyClick(main, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(window.closed());
    EXPECT_EQ(settings.read("quorvel", "Data", "Dir"), folder) << "its settings saved";
}

TEST_F(ProgramWindowsTest, PreviewIsOneResizableTableThatEscapeCloses) {
    for (const char* name : {"a.jpg", "b.jpg", "Vacances02.jpg"})
        QFile(temp.filePath(name)).open(QIODevice::WriteOnly);
    // The window shows this folder since it started: its files are read again.
    window.sourceFiles.refresh();
    window.targetFiles.refresh();
    window.genericName.setText("Vacances");
    window.digitOptions[0]->click();
    window.schemeOptions[1]->click();
    FormWindow* main = shown(&window.form);
    ASSERT_NE(main, nullptr);
    QApplication::setActiveWindow(main);
    QTest::keyClick(main, Qt::Key_F5);
    QPointer<FormWindow> preview = shown(window.preview().form());
    ASSERT_FALSE(preview.isNull());
    auto* table = qobject_cast<QTableView*>(preview->widgetOf("Liste"));
    ASSERT_NE(table, nullptr);
    QAbstractItemModel& rows = *table->model();
    // Planned away from the window's thread; the table fills once the plan is back.
    ASSERT_TRUE(QTest::qWaitFor([&rows] { return rows.rowCount() == 3; }, 5000));
    EXPECT_EQ(rows.headerData(1, Qt::Horizontal).toString(), "Nouveau nom");
    EXPECT_EQ(rows.index(0, 1).data().toString(), "Vacances01.jpg");
    EXPECT_FALSE(rows.index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(rows.index(1, 2).data().toString(), "existe déjà");
    EXPECT_TRUE(rows.index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(window.preview().form()->find("Resume")->caption(),
              "1 fichiers seront renommés sur les 3 présents (2 existent déjà).");

    window.mnuApercu.click();
    EXPECT_EQ(shown(window.preview().form()), preview.data()) << "never a second window";
    const QSize before = table->size();
    preview->resize(preview->width() + 200, preview->height() + 100);
    EXPECT_EQ(table->size(), before + QSize(200, 100));

    QApplication::setActiveWindow(preview);
    QTest::keyClick(preview, Qt::Key_Escape);
    EXPECT_EQ(window.preview().form(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(preview.isNull());
}

TEST_F(ProgramWindowsTest, AboutBoxTitleIsLargeBoldAndWhole) {
    window.aboutButton.click();
    FormWindow* about = shown(window.about().form());
    ASSERT_NE(about, nullptr);
    auto* title = qobject_cast<QLabel*>(about->widgetOf("Label1"));
    auto* version = qobject_cast<QLabel*>(about->widgetOf("Label2"));
    ASSERT_NE(title, nullptr);
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(title->font().bold());
    EXPECT_GE(title->font().pointSizeF(), 2 * version->font().pointSizeF());
    EXPECT_FALSE(version->font().bold());
    const QFontMetrics metrics(title->font());
    EXPECT_LE(metrics.horizontalAdvance(title->text()), title->width());
    EXPECT_LE(metrics.height(), title->height());

    // A later caption keeps the title's font.
    window.about().form()->find("Label1")->setCaption("Quorvel 1.0");
    EXPECT_TRUE(title->font().bold());
    EXPECT_EQ(title->text(), "Quorvel 1.0");
}

TEST_F(ProgramWindowsTest, ClosingTheMainWindowEndsTheProgramWithItsViewer) {
    const std::string photo = folder + "/IMG_0001.jpg";
    QImage picture(64, 48, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    ASSERT_TRUE(picture.save(QString::fromStdString(photo), "JPEG"));
    window.viewer().ViewPhoto(photo);
    ASSERT_NE(window.viewer().form(), nullptr);
    // It opens once its picture is decoded.
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown(window.viewer().form()) != nullptr; }, 5000));
    QPointer<FormWindow> viewer = shown(window.viewer().form());
    ASSERT_FALSE(viewer.isNull());

    EXPECT_TRUE(QApplication::quitOnLastWindowClosed());
    QPointer<FormWindow> main = shown(&window.form);
    ASSERT_FALSE(main.isNull());

    // In the program's own event loop, which ends when its last window closes: the viewer
    // goes with the main window.
    QTimer closeMain;
    QTimer giveUp;
    for (QTimer* timer : {&closeMain, &giveUp})
        timer->setSingleShot(true);
    QObject::connect(&closeMain, &QTimer::timeout, [&] { main->close(); });
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    closeMain.start(0);
    giveUp.start(5000);
    const int status = QCoreApplication::exec();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_TRUE(window.closed());
    EXPECT_EQ(settings.read("quorvel", "Data", "Dir"), folder) << "its settings saved";
    EXPECT_EQ(status, 0) << "the program ends with its main window";
    EXPECT_TRUE(main.isNull());
    EXPECT_TRUE(viewer.isNull());
    EXPECT_EQ(window.viewer().form(), nullptr);
}

// The offsets' box through the generic binders: a title, a line per camera whose text box
// takes the keys, and buttons that answer a click; Escape leaves it as it was.
TEST_F(ProgramWindowsTest, TheOffsetsBoxTakesTypedOffsetsAndEscapeLeavesThem) {
    window.mnuDecalage.click();
    FormWindow* box = shown(window.offsetDialog().form());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), QString::fromUtf8("Décaler l'heure des appareils"));
    auto* camera = qobject_cast<QLabel*>(box->widgetOf("Appareil(0)"));
    ASSERT_NE(camera, nullptr);
    EXPECT_EQ(camera->text(), QStringLiteral("Sans appareil"));
    auto* value = qobject_cast<QLineEdit*>(box->widgetOf("Valeur(0)"));
    ASSERT_NE(value, nullptr);
    value->selectAll();
    QTest::keyClicks(value, "+00:30:00");
    auto* ok = qobject_cast<QPushButton*>(box->widgetOf("OK"));
    ASSERT_NE(ok, nullptr);
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_EQ(window.offsetDialog().form(), nullptr);
    ASSERT_NE(window.captureOptions.offsets, nullptr);
    EXPECT_EQ(window.captureOptions.offsets->of(""), 1800);

    window.mnuDecalage.click();
    box = shown(window.offsetDialog().form());
    ASSERT_NE(box, nullptr);
    auto* again = qobject_cast<QLineEdit*>(box->widgetOf("Valeur(0)"));
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->text(), QStringLiteral("+00:30:00"));
    again->selectAll();
    QTest::keyClicks(again, "-01:00:00");
    QApplication::setActiveWindow(box);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(window.offsetDialog().form(), nullptr);
    EXPECT_EQ(window.captureOptions.offsets->of(""), 1800);
}

} // namespace
} // namespace quorvel
