#include "app/MainWindow.h"
#include "edits/NameEdits.h"
#include "platform/CaptureDates.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtToolkit.h"
#include "preview/Preview.h"
#include "rename/BatchRename.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "view/FormWindow.h"
#include "view/QtFormHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace quorvel {
namespace {

// A card that stops answering: while held, every call that passes waits until the test lets
// it go. Each call notes the thread it was asked on.
class Gate {
public:
    // Returns how many calls have passed, this one included.
    std::size_t pass() {
        std::unique_lock lock(mutex_);
        threads_.push_back(std::this_thread::get_id());
        const std::size_t passed = threads_.size();
        changed_.notify_all();
        changed_.wait(lock, [this] { return !held_; });
        return passed;
    }
    void hold(bool held) {
        {
            const std::lock_guard lock(mutex_);
            held_ = held;
        }
        changed_.notify_all();
    }
    std::vector<std::thread::id> threads() {
        const std::lock_guard lock(mutex_);
        return threads_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool held_ = false;
    std::vector<std::thread::id> threads_;
};

// The user's files as a dying card serves them: a rename waits at the gate.
class BlockingFileSystem : public PosixFileSystem, public Gate {
public:
    Result<void> renameAt(Folder& folder, const std::string& from, const std::string& to) override {
        pass();
        return PosixFileSystem::renameAt(folder, from, to);
    }
};

// Capture dates read from a card that stops answering: each read waits at the gate.
class BlockingDates : public CaptureDates, public Gate {
public:
    std::optional<CaptureTime> captureTime(const std::string&) override {
        return CaptureTime{2019, 8, 30, 17, 45, static_cast<int>(pass())};
    }
};

// Answers the boxes that come up, in order, with the button of the given text, noting each
// box's title, text and default button.
class BoxAnswers {
public:
    explicit BoxAnswers(std::deque<QString> answers) : answers_(std::move(answers)) {
        QObject::connect(&poll_, &QTimer::timeout, [this] { answer(); });
        poll_.start(5);
    }
    struct Box {
        QString title;
        QString text;
        QString defaultButton;
    };
    std::vector<Box> seen;

private:
    void answer() {
        if (answers_.empty())
            return;
        // A question that asks for a name is answered with it.
        if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
            seen.push_back({input->windowTitle(), input->labelText(), {}});
            input->setTextValue(answers_.front());
            answers_.pop_front();
            input->accept();
            return;
        }
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        const QString wanted = answers_.front();
        answers_.pop_front();
        seen.push_back({box->windowTitle(), box->text(),
                        box->defaultButton() == nullptr
                            ? QString()
                            : box->defaultButton()->text().remove(QLatin1Char('&'))});
        for (QAbstractButton* button : box->buttons()) {
            if (button->text().remove(QLatin1Char('&')) == wanted) {
                button->click();
                return;
            }
        }
        ADD_FAILURE() << "no button " << wanted.toStdString();
    }
    std::deque<QString> answers_;
    QTimer poll_;
};

class BatchBesideWindowQtTest : public testing::Test {
protected:
    BatchBesideWindowQtTest() {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
            touch(name);
        window.startUp();
        window.sourceFolders.setPath(folder);
        window.genericName.setText("_X");
        forms.showForm(window.form);
    }
    ~BatchBesideWindowQtTest() override {
        fs.hold(false);
        dates.hold(false);
        spinUntil([this] { return !window.batchRunning(); });
        forms.closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void touch(const char* name) {
        QFile file(QDir(temp.path()).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    // Handles the window's events until `done` holds; false after ten seconds.
    static bool spinUntil(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return true;
    }
    QWidget* widget(const std::string& name) { return forms.windowOf(window.form)->widgetOf(name); }
    bool exists(const char* name) { return QFile::exists(QDir(temp.path()).filePath(name)); }

    QTemporaryDir temp;
    const std::string folder = temp.path().toStdString();
    QtToolkit toolkit;
    QtFormHost forms{toolkit};
    BlockingFileSystem fs;
    BlockingDates dates;
    MemorySettingsStore settings;
    QtPictures pictures;
    RecordingShell shell;
    SystemClock clock;
    MainWindow window{
        Services{toolkit, fs, settings, pictures, shell, clock, {folder, "quorvel"}, &dates},
        forms};
    const std::thread::id eventThread = std::this_thread::get_id();
};

// A rename that blocks holds only the batch's thread: the window goes on handling its
// events, shows what is held still greyed, and "Arrêter" beside it ends the batch after
// the file in hand.
TEST_F(BatchBesideWindowQtTest, ABlockedFileHoldsTheBatchNeverTheWindow) {
    fs.hold(true);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    QTest::mouseClick(widget("Command1"), Qt::LeftButton);
    ASSERT_TRUE(window.batch().running());
    ASSERT_TRUE(spinUntil([&] { return !fs.threads().empty() && ticks >= 5; }));
    EXPECT_NE(fs.threads().front(), eventThread);
    for (const char* name : {"Dir1", "File1", "Drive2", "Text1", "Command1", "Comm1_4"})
        EXPECT_FALSE(widget(name)->isEnabled()) << name;
    QWidget* stop = widget("cmdArreter");
    ASSERT_TRUE(stop->isVisible());
    EXPECT_TRUE(stop->isEnabled());
    EXPECT_EQ(qobject_cast<QPushButton*>(stop)->text(), "Arrêter");

    BoxAnswers boxes({"OK"});
    QApplication::setActiveWindow(forms.windowOf(window.form));
    QTest::keyClick(forms.windowOf(window.form), Qt::Key_Escape);
    fs.hold(false);
    ASSERT_TRUE(spinUntil([&] { return !window.batch().running(); }));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "1 fichiers ont été renommés sur les 3 présents.\n"
                                  "Lot arrêté : 2 fichiers n'ont pas été traités.");
    EXPECT_TRUE(exists("01_X.jpg"));
    EXPECT_TRUE(exists("b.jpg"));
    for (const auto id : fs.threads())
        EXPECT_NE(id, eventThread);
    EXPECT_TRUE(widget("File1")->isEnabled());
    EXPECT_FALSE(stop->isVisible());
}

// With the photos dated by their capture, a card whose reads block holds the batch only.
TEST_F(BatchBesideWindowQtTest, CaptureDatesAreReadBesideTheWindow) {
    window.mnuExif.click();
    window.schemeOptions[3]->click();
    dates.hold(true);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    QTest::mouseClick(widget("Command1"), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([&] { return !dates.threads().empty() && ticks >= 5; }));
    BoxAnswers boxes({"OK"});
    dates.hold(false);
    ASSERT_TRUE(spinUntil([&] { return !window.batch().running(); }));
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "3 fichiers ont été renommés sur les 3 présents.");
    for (const auto id : dates.threads())
        EXPECT_NE(id, eventThread);
}

// The panel is the batch thread's question, answered from the window with its buttons.
TEST_F(BatchBesideWindowQtTest, ThePanelIsAnsweredFromTheWindowWhileTheBatchWaits) {
    touch("01_X.jpg");
    window.sourceFiles.refresh();
    QTest::mouseClick(widget("Command1"), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([&] { return widget("FraPro")->isVisible(); }));
    EXPECT_TRUE(window.batch().running());
    EXPECT_EQ(window.problemText.caption(), "01_X.jpg existe déjà !");
    BoxAnswers boxes({"OK"});
    QTest::mouseClick(widget("Check1"), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseClick(widget("Command2"), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([&] { return !window.batch().running(); }));
    EXPECT_FALSE(widget("FraPro")->isVisible());
    ASSERT_EQ(boxes.seen.size(), 1u);
    EXPECT_EQ(boxes.seen[0].text, "0 fichiers ont été renommés sur les 4 présents.");
}

// Quitting during a batch asks, No by default; No lets it go on, Yes stops it and quits.
TEST_F(BatchBesideWindowQtTest, QuittingDuringABatchAsksFirst) {
    fs.hold(true);
    QTest::mouseClick(widget("Command1"), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([&] { return !fs.threads().empty(); }));
    QPointer<FormWindow> main = forms.windowOf(window.form);
    {
        BoxAnswers boxes({"Non"});
        main->close();
        ASSERT_EQ(boxes.seen.size(), 1u);
        EXPECT_EQ(boxes.seen[0].title, " Quitter?");
        EXPECT_EQ(boxes.seen[0].text, "Un lot est en cours : l'arrêter et quitter ?");
        EXPECT_EQ(boxes.seen[0].defaultButton, "Non");
    }
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(window.batch().running());

    BoxAnswers boxes({"Oui", "OK"});
    main->close();
    fs.hold(false);
    ASSERT_TRUE(spinUntil([&] { return window.closed(); }));
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_TRUE(boxes.seen[1].text.endsWith("Lot arrêté : 2 fichiers n'ont pas été traités."));
    EXPECT_FALSE(window.batch().running());
    EXPECT_EQ(forms.windowOf(window.form), nullptr);
}

// The program ends with its main window: "Quitter" with the preview open leaves no window
// of the program, so Qt's loop ends.
TEST_F(BatchBesideWindowQtTest, QuittingWithThePreviewOpenLeavesNoWindow) {
    window.mnuApercu.click();
    ASSERT_NE(window.preview().form(), nullptr);
    ASSERT_NE(forms.windowOf(*window.preview().form()), nullptr);
    window.mnuQuitter.click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget* top : QApplication::topLevelWidgets())
        EXPECT_FALSE(top->isVisible()) << top->objectName().toStdString();
}

// A name edit and a folder rename go through the same batch thread as the run: a file that
// blocks holds them, never the window, whose controls wait greyed until they end; "Arrêter"
// stops an edit after the file in hand, and what it did stays done.
TEST_F(BatchBesideWindowQtTest, EditsAndFolderRenamesRunBesideTheWindow) {
    fs.hold(true);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(5);
    window.edits().RunNameEdit(BatchKind::LengthenLeft, [](const std::string& name) {
        return NewName{"E_" + name, {}};
    });
    ASSERT_TRUE(window.batchRunning());
    ASSERT_TRUE(spinUntil([&] { return !fs.threads().empty() && ticks >= 5; }));
    for (const char* name : {"Dir1", "File1", "Command1", "Comm1_10", "Comm1_3"})
        EXPECT_FALSE(widget(name)->isEnabled()) << name;
    ASSERT_TRUE(widget("cmdArreter")->isVisible());
    BoxAnswers edited({"OK"});
    QApplication::setActiveWindow(forms.windowOf(window.form));
    QTest::keyClick(forms.windowOf(window.form), Qt::Key_Escape);
    fs.hold(false);
    ASSERT_TRUE(spinUntil([&] { return !window.batchRunning(); }));
    ASSERT_EQ(edited.seen.size(), 1u);
    EXPECT_EQ(edited.seen[0].text, "1 fichiers ont été renommés sur les 3 présents.\n"
                                   "Lot arrêté : 2 fichiers n'ont pas été traités.");
    EXPECT_TRUE(exists("E_a.jpg"));
    EXPECT_TRUE(exists("b.jpg"));
    EXPECT_TRUE(widget("File1")->isEnabled());
    EXPECT_FALSE(widget("cmdArreter")->isVisible());

    ASSERT_TRUE(QDir(temp.path()).mkdir("Album"));
    window.sourceFolders.setPath(folder + "/Album");
    fs.hold(true);
    const std::size_t before = fs.threads().size();
    BoxAnswers renamed({"Vacances", "Oui"});
    QTest::mouseClick(widget("Comm1_3"), Qt::LeftButton);
    ASSERT_TRUE(spinUntil([&] { return fs.threads().size() > before; }));
    EXPECT_TRUE(window.batchRunning());
    EXPECT_NE(fs.threads().back(), eventThread);
    fs.hold(false);
    ASSERT_TRUE(spinUntil([&] { return !window.batchRunning(); }));
    EXPECT_TRUE(exists("Vacances"));
    EXPECT_EQ(window.sourceFolders.path(), folder + "/Vacances");
}

// Quitting while an edit runs asks as during a run; Yes stops it, then the window closes.
TEST_F(BatchBesideWindowQtTest, QuittingDuringAnEditAsksFirst) {
    fs.hold(true);
    window.edits().RunNameEdit(BatchKind::LengthenLeft, [](const std::string& name) {
        return NewName{"E_" + name, {}};
    });
    ASSERT_TRUE(spinUntil([&] { return !fs.threads().empty(); }));
    BoxAnswers boxes({"Oui", "OK"});
    forms.windowOf(window.form)->close();
    fs.hold(false);
    ASSERT_TRUE(spinUntil([&] { return window.closed(); }));
    ASSERT_EQ(boxes.seen.size(), 2u);
    EXPECT_EQ(boxes.seen[0].text, "Un lot est en cours : l'arrêter et quitter ?");
    EXPECT_TRUE(boxes.seen[1].text.endsWith("Lot arrêté : 2 fichiers n'ont pas été traités."));
}

} // namespace
} // namespace quorvel
