#include "platform/qtservices/QtToolkit.h"

#include "view/FormWindow.h"
#include "view/QtFormHost.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <functional>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace quorvel {
namespace {

// Types as a keyboard would, accented letters included.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// Answers the next modal box as soon as it is up.
void whenModal(std::function<void(QWidget*)> answer) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(modal);
        }
    });
    poll->start(10);
}

class QtToolkitTest : public testing::Test {
protected:
    ~QtToolkitTest() override {
        forms.closeAll();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QtToolkit toolkit;
    QtFormHost forms{toolkit};
};

TEST_F(QtToolkitTest, QuestionShowsItsLinesAndReturnsTheButtonPressed) {
    QString shownText;
    QString shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        shownText = box->text();
        shownTitle = box->windowTitle();
        shownIcon = box->icon();
        box->button(QMessageBox::No)->click();
    });
    const Reply reply = toolkit.message("Effacer ?\r\nC:\\Photos", Icon::Question, Buttons::YesNo,
                                        " Effacer le répertoire?");
    EXPECT_EQ(reply, Reply::No);
    EXPECT_EQ(shownText, "Effacer ?\nC:\\Photos");
    EXPECT_EQ(shownTitle, " Effacer le répertoire?");
    EXPECT_EQ(shownIcon, QMessageBox::Question);

    whenModal([](QWidget* modal) {
        qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(toolkit.message("?", Icon::Question, Buttons::YesNo, "t"), Reply::Yes);
}

// Enter on a question answers its default: No where Yes deletes for good.
TEST_F(QtToolkitTest, EnterAnswersNoToADestructiveQuestion) {
    const auto pressEnter = [](QWidget* modal) { QTest::keyClick(modal, Qt::Key_Return); };
    whenModal(pressEnter);
    EXPECT_EQ(toolkit.message("Effacer ?", Icon::Question, Buttons::YesNoDefaultNo, "t"),
              Reply::No);
    whenModal(pressEnter);
    EXPECT_EQ(toolkit.message("Renommer ?", Icon::Question, Buttons::YesNo, "t"), Reply::Yes);
    // Alt+O answers Oui from the keyboard.
    whenModal([](QWidget* modal) { QTest::keyClick(modal, Qt::Key_O, Qt::AltModifier); });
    EXPECT_EQ(toolkit.message("Effacer ?", Icon::Question, Buttons::YesNoDefaultNo, "t"),
              Reply::Yes);
}

TEST_F(QtToolkitTest, ErrorMessageHasOnlyOk) {
    int buttons = 0;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    whenModal([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        buttons = static_cast<int>(box->buttons().size());
        shownIcon = box->icon();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(toolkit.message("Le Fichier n'est pas défini", Icon::Error, Buttons::Ok, "Renommer"),
              Reply::Ok);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(shownIcon, QMessageBox::Critical);
}

TEST_F(QtToolkitTest, InputReturnsTheTypedTextOrNothingWhenCancelled) {
    QString prompt;
    QString offered;
    whenModal([&](QWidget* modal) {
        auto* dialog = qobject_cast<QInputDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        prompt = dialog->labelText();
        auto* edit = dialog->findChild<QLineEdit*>();
        offered = edit->text();
        edit->selectAll();
        type(edit, "Été");
        dialog->accept();
    });
    EXPECT_EQ(toolkit.input("Nouveau nom :\r\nIMG_1.jpg", "Raccourcir", "IMG_1.jpg"),
              "\xc3\x89t\xc3\xa9");
    EXPECT_EQ(prompt, "Nouveau nom :\nIMG_1.jpg");
    EXPECT_EQ(offered, "IMG_1.jpg");

    whenModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
    EXPECT_EQ(toolkit.input("Nom", "Créer", "déjà écrit"), "");
}

TEST_F(QtToolkitTest, BusyPointerDoesNotStack) {
    toolkit.setBusy(true);
    toolkit.setBusy(true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    toolkit.setBusy(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    toolkit.setBusy(false);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

// The batch's work runs on a thread of its own; what it asks of the window runs on the
// event thread, which stays free to handle events the whole time.
TEST_F(QtToolkitTest, BatchRunsBesideTheEventThreadAndAsksItForWindowWork) {
    const auto eventThread = std::this_thread::get_id();
    std::thread::id worker;
    std::vector<std::thread::id> windowTasks;
    std::atomic<bool> answered{false};
    bool ended = false;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        // The user answers while the batch waits; the window went on handling events.
        if (++ticks == 3)
            answered = true;
    });
    tick.start(10);
    toolkit.runBatch(
        [&] {
            worker = std::this_thread::get_id();
            toolkit.onWindow([&] { windowTasks.push_back(std::this_thread::get_id()); });
            toolkit.awaitWindow([&] { return answered.load(); });
            toolkit.postToWindow([&] { windowTasks.push_back(std::this_thread::get_id()); });
            EXPECT_EQ(toolkit.message("Du lot", Icon::None, Buttons::Ok, "Renommer"), Reply::Ok);
        },
        [&] {
            windowTasks.push_back(std::this_thread::get_id());
            ended = true;
        });
    whenModal([](QWidget* modal) { qobject_cast<QMessageBox*>(modal)->accept(); });
    while (!ended)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_NE(worker, eventThread);
    EXPECT_GE(ticks, 3);
    ASSERT_EQ(windowTasks.size(), 3U);
    for (const auto id : windowTasks)
        EXPECT_EQ(id, eventThread);
}

TEST_F(QtToolkitTest, FormsGetOneWindowEachUntilTheModelDestroysThem) {
    Form main("Form1", 3000, 1500);
    main.setCaption("Principale");
    Label& label = main.add<Label>("Label1", &main, Geometry{150, 150, 1500, 300});
    Form other("About", 1500, 1500);
    int created = 0;
    forms.onWindowCreated = [&](Form&, FormWindow&) { ++created; };

    forms.showForm(main);
    forms.showForm(main);
    forms.showForm(other);
    EXPECT_EQ(created, 2);
    FormWindow* window = forms.windowOf(main);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), "Principale");

    toolkit.showProgress("12 fichiers sur 100");
    auto* strip = window->findChild<QLabel*>("progress");
    ASSERT_NE(strip, nullptr);
    EXPECT_TRUE(strip->isVisible());
    EXPECT_EQ(strip->text(), "12 fichiers sur 100");
    toolkit.showProgress("");
    EXPECT_EQ(strip->text(), "");

    // The close box goes to the model, which lets the form go through destroyForm.
    main.onClose = [&] { forms.destroyForm(main); };
    QPointer<FormWindow> gone = window;
    window->close();
    EXPECT_EQ(forms.windowOf(main), nullptr);
    EXPECT_FALSE(gone->isVisible());
    label.setCaption("plus montré"); // the window no longer listens
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(gone.isNull());
    EXPECT_NE(forms.windowOf(other), nullptr);
    forms.closeAll();
}

} // namespace
} // namespace quorvel
