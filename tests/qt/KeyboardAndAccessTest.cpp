#include "platform/qtservices/QtToolkit.h"
#include "testing/MemoryFileSystem.h"
#include "view/ControlViews.h"
#include "view/FormWindow.h"
#include "view/QtFormHost.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QGroupBox>
#include <QHelpEvent>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

QString accessibleName(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face == nullptr ? QString() : face->text(QAccessible::Name);
}

QAccessible::Role accessibleRole(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face == nullptr ? QAccessible::NoRole : face->role();
}

// A window laid out as the program's is: a pane with picture buttons, lists and a status box,
// a rename pane with captioned boxes and option buttons, a problem panel over it, buttons below.
class KeyboardAndAccessTest : public testing::Test {
protected:
    KeyboardAndAccessTest() : drives(fs) {
        fs.subfolders["/"] = {"photos"};
        for (int i = 0; i < 40; ++i)
            fs.subfolders["/photos"].push_back("dossier" + std::to_string(100 + i));
        fs.subfolders["/photos/dossier121"] = {};
        fs.subfolders["/photos/dossier130"] = {};
        fs.files["/photos"] = {"a.jpg", "b.jpg", "c.jpg"};

        source = &form.add<Frame>("Source", &form, Geometry{240, 120, 3255, 6825});
        renamer = &form.add<Frame>("Renamer", &form, Geometry{3570, 120, 3900, 5880});
        panel = &form.add<Frame>("Panel", &form, Geometry{3570, 120, 3900, 5880});
        up = &form.add<PictureButton>("Up", source, Geometry{120, 360, 255, 255}, "up");
        up->setTooltip("Remonter d'un niveau");
        makeFolder = &form.add<PictureButton>("New", source, Geometry{420, 360, 255, 255}, "up");
        makeFolder->setTooltip("Créer un dossier");
        dir = &form.add<FolderList>("Dir1", source, Geometry{120, 720, 3000, 1500}, drives);
        files = &form.add<FileList>("File1", source, Geometry{120, 3045, 3000, 1400}, fs);
        files->setTooltip("Fichiers source à convertir");
        status = &form.add<TextBox>("Text3", source, Geometry{120, 6480, 3000, 285});
        status->readOnly = true;
        form.add<Label>("Caption", renamer, Geometry{120, 240, 3600, 225})
            .setCaption("Nom générique");
        form.add<Label>("Hint", renamer, Geometry{120, 465, 3600, 225})
            .setCaption("peut inclure un _ ou un espace");
        name = &form.add<TextBox>("Text1", renamer, Geometry{120, 720, 3600, 315});
        form.add<Label>("StepLabel", renamer, Geometry{1320, 1080, 960, 225})
            .setCaption("Incrément");
        step = &form.add<ComboBox>("Combo2", renamer, Geometry{1320, 1320, 900, 315});
        option = &form.add<OptionButton>("Option1", renamer, Geometry{120, 3120, 3675, 315});
        option->setCaption("01Fichier.jpg");
        ok = &form.add<CommandButton>("Command2", panel, Geometry{1200, 2880, 1500, 495});
        ok->setCaption("OK");
        quit = &form.add<CommandButton>("Command3", &form, Geometry{3600, 6120, 1365, 735});
        quit->setCaption("Quitter");
        panel->setVisible(false);
        ok->onClick = [this] { panel->setVisible(false); };
        files->onClick = [this] { ++fileClicks; };
        dir->setPath("/photos");
        files->setPath("/photos");
    }
    ~KeyboardAndAccessTest() override { forms.closeAll(); }

    FormWindow& window() {
        if (forms.windowOf(form) == nullptr) {
            forms.showForm(form);
            QApplication::setActiveWindow(forms.windowOf(form));
        }
        return *forms.windowOf(form);
    }
    template <typename W> W* view(const std::string& control) {
        return dynamic_cast<W*>(window().widgetOf(control));
    }
    void press(QWidget* widget, Qt::Key key) { QTest::keyClick(widget, key); }

    QtToolkit toolkit;
    QtFormHost forms{toolkit};
    MemoryFileSystem fs;
    Drives drives;
    Form form{"Form1", 13380, 7065};
    Frame* source;
    Frame* renamer;
    Frame* panel;
    PictureButton* up;
    PictureButton* makeFolder;
    FolderList* dir;
    FileList* files;
    TextBox* status;
    TextBox* name;
    ComboBox* step;
    OptionButton* option;
    CommandButton* ok;
    CommandButton* quit;
    int fileClicks = 0;
};

TEST_F(KeyboardAndAccessTest, ArrowsMoveTheCurrentFileAndSpaceTogglesItAsAClickDoes) {
    auto* list = view<QListView>("File1");
    list->setFocus();
    // Taking the focus alone moves nothing.
    EXPECT_EQ(files->current(), -1);
    press(list, Qt::Key_Down);
    const int row = list->currentIndex().row();
    ASSERT_GE(row, 0);
    EXPECT_EQ(files->current(), row);
    EXPECT_EQ(files->selectedCount(), 0);
    press(list, Qt::Key_Space);
    EXPECT_TRUE(files->selected(row));
    EXPECT_EQ(fileClicks, 1);
    press(list, Qt::Key_Down);
    press(list, Qt::Key_Space);
    press(list, Qt::Key_Up);
    press(list, Qt::Key_Space);
    EXPECT_FALSE(files->selected(row));
    EXPECT_TRUE(files->selected(row + 1));
    EXPECT_EQ(fileClicks, 3);
    // A click on a row selects that row alone, as in every file manager.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualRect(list->model()->index(0, 0)).center());
    EXPECT_EQ(files->selectedRows(), std::vector<int>{0});
    EXPECT_EQ(fileClicks, 4);
}

TEST_F(KeyboardAndAccessTest, EnterOpensTheHighlightedFolderAndTheOpenFolderStaysInView) {
    auto* list = view<QListView>("Dir1");
    list->setFocus();
    // Typing the first letters finds a folder far down the list; Enter opens it.
    QTest::keyClicks(list, "dossier12");
    QTest::keyClick(list, Qt::Key_Down);
    ASSERT_EQ(dir->highlighted(), 21);
    press(list, Qt::Key_Return);
    EXPECT_EQ(dir->path(), "/photos/dossier121");
    const QModelIndex open = list->model()->index(dir->ancestorCount() - 1, 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(open)));

    // Back up and open another by a double click: in view again, though the list had scrolled.
    dir->setPath("/photos");
    QCoreApplication::processEvents();
    list->scrollToBottom();
    const QModelIndex target = list->model()->index(dir->ancestorCount() + 30, 0);
    list->scrollTo(target);
    const QPoint at = list->visualRect(target).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dir->path(), "/photos/dossier130");
    const QModelIndex now = list->model()->index(dir->ancestorCount() - 1, 0);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(now)));
}

TEST_F(KeyboardAndAccessTest, TheProblemPanelTakesTheFocusAndGivesItBack) {
    auto* edit = view<QLineEdit>("Text1");
    edit->setFocus();
    ASSERT_TRUE(edit->hasFocus());
    panel->setVisible(true);
    auto* button = view<QPushButton>("Command2");
    EXPECT_TRUE(button->hasFocus());
    // Enter presses it; the focus goes back to the name, not on to "Quitter".
    press(button, Qt::Key_Return);
    EXPECT_FALSE(panel->visible());
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_FALSE(view<QPushButton>("Command3")->hasFocus());
}

TEST_F(KeyboardAndAccessTest, TabWalksPaneByPaneInTheOrderOfTheWindow) {
    window();
    std::vector<std::string> order;
    QWidget* at = view<QWidget>("Up");
    for (int i = 0; i < 8; ++i) {
        order.push_back(at->objectName().toStdString());
        at = at->nextInFocusChain();
        while (!(at->focusPolicy() & Qt::TabFocus) || !at->isVisible() ||
               at->objectName().isEmpty() || at->objectName().startsWith("qt_"))
            at = at->nextInFocusChain();
    }
    // The status line is read, not typed in: no Tab stop.
    const std::vector<std::string> expected = {"Up",    "New",    "Dir1",    "File1",
                                               "Text1", "Combo2", "Option1", "Command3"};
    EXPECT_EQ(order, expected);
}

TEST_F(KeyboardAndAccessTest, AssistiveTechnologyHearsARoleAndANameForEachControl) {
    EXPECT_EQ(accessibleName(view<QWidget>("Up")), "Remonter d'un niveau");
    EXPECT_EQ(accessibleName(view<QWidget>("New")), "Créer un dossier");
    EXPECT_EQ(accessibleRole(view<QWidget>("Option1")), QAccessible::RadioButton);
    EXPECT_EQ(accessibleName(view<QWidget>("Option1")), "01Fichier.jpg");
    // The caption above a hint names the box under both.
    EXPECT_EQ(accessibleName(view<QWidget>("Text1")), "Nom générique");
    EXPECT_EQ(accessibleName(view<QWidget>("Combo2")), "Incrément");
    EXPECT_EQ(accessibleName(view<QWidget>("Text3")), "Nombre de fichiers source à convertir");
    EXPECT_EQ(accessibleName(view<QWidget>("File1")), "Fichiers source à convertir");

    // A radio button still shows the model's tick.
    auto* radio = view<QAbstractButton>("Option1");
    EXPECT_FALSE(radio->isChecked());
    option->select();
    EXPECT_TRUE(radio->isChecked());
}

TEST_F(KeyboardAndAccessTest, LongFileNamesLoseTheirMiddleAndShowWhole) {
    const std::string head = "Vacances_en_Bretagne_chez_les_cousins_juillet_";
    fs.files["/photos"] = {head + "001.jpg", head + "002.jpg", "a.jpg"};
    files->refresh();
    auto* list = view<QListView>("File1");
    EXPECT_EQ(list->textElideMode(), Qt::ElideMiddle);
    auto* tips = dynamic_cast<WholeNameTips*>(list->itemDelegate());
    ASSERT_NE(tips, nullptr);
    QStyleOptionViewItem option;
    option.initFrom(list);
    option.rect = list->visualRect(list->model()->index(0, 0));
    EXPECT_FALSE(tips->fits(option, list->model()->index(0, 0)));
    option.rect = list->visualRect(list->model()->index(2, 0));
    EXPECT_TRUE(tips->fits(option, list->model()->index(2, 0)));

    const QRect row = list->visualRect(list->model()->index(1, 0));
    QHelpEvent help(QEvent::ToolTip, row.center(), list->viewport()->mapToGlobal(row.center()));
    QApplication::sendEvent(list->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), QString::fromStdString(head + "002.jpg"));
    QToolTip::hideText();
}

TEST_F(KeyboardAndAccessTest, ALabelTooLongForItsRoomLosesItsMiddleNotHalfALetter) {
    Label& thumbName = form.add<Label>("NomTN0", source, Geometry{90, 6120, 1200, 210});
    form.add<Label>("Right", source, Geometry{1400, 6120, 600, 210}).setCaption("x");
    const QString whole = QStringLiteral("Vacances_en_Bretagne_chez_les_cousins_001.jpg");
    thumbName.setCaption(whole.toStdString());
    auto* label = view<QLabel>("NomTN0");
    const int room = window().pixels(1400 - 90);
    EXPECT_LE(label->width(), room);
    EXPECT_TRUE(label->text().contains(QChar(0x2026)));
    EXPECT_TRUE(whole.startsWith(label->text().section(QChar(0x2026), 0, 0)));
    EXPECT_TRUE(whole.endsWith(label->text().section(QChar(0x2026), 1)));
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width());
    EXPECT_EQ(label->toolTip(), whole);
    // A short one shows whole, in the neighbours' font.
    thumbName.setCaption("a.jpg");
    EXPECT_EQ(label->text(), "a.jpg");
    EXPECT_EQ(label->font(), label->parentWidget()->font());
}

TEST_F(KeyboardAndAccessTest, AFrameCaptionShrinksAboveAControlJustUnderIt) {
    Frame& strip = form.add<Frame>("Frame4", &form, Geometry{10900, 60, 2400, 6885});
    strip.setCaption("Frame4");
    form.add<Label>("NomTN0", &strip, Geometry{90, 120, 2235, 210});
    auto* frame = view<QGroupBox>("Frame4");
    const QVariant caption = frame->property("captionFont");
    ASSERT_TRUE(caption.isValid());
    // As small as it takes to clear the label, down to the smallest readable letter.
    const QFont font = caption.value<QFont>();
    EXPECT_LT(QFontMetrics(font).height(), frame->fontMetrics().height());
    EXPECT_TRUE(QFontMetrics(font).height() <= view<QWidget>("NomTN0")->y() + 2 ||
                QFontInfo(font).pixelSize() == 7);
    EXPECT_FALSE(view<QGroupBox>("Source")->property("captionFont").isValid());
}

TEST_F(KeyboardAndAccessTest, EscapeClosesEveryWindowButTheMainOne) {
    window();
    Form viewer("Form2", 3000, 2000);
    int closes = 0;
    viewer.onClose = [&] {
        ++closes;
        forms.destroyForm(viewer);
    };
    forms.showForm(viewer);
    press(forms.windowOf(viewer), Qt::Key_Escape);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(forms.windowOf(viewer), nullptr);
    int mainCloses = 0;
    form.onClose = [&] { ++mainCloses; };
    press(&window(), Qt::Key_Escape);
    EXPECT_EQ(mainCloses, 0);
}

TEST_F(KeyboardAndAccessTest, ProgressStaysOffTheControls) {
    FormWindow& main = window();
    toolkit.showProgress("12 fichiers sur 100");
    auto* strip = main.findChild<QLabel*>("progress");
    ASSERT_NE(strip, nullptr);
    EXPECT_EQ(strip->text(), "12 fichiers sur 100");
    for (QWidget* control : main.findChild<QWidget*>("client")->findChildren<QWidget*>())
        EXPECT_FALSE(control->isVisible() && strip->geometry().intersects(QRect(
                                                 control->mapTo(&main, QPoint()), control->size())))
            << control->objectName().toStdString();
}

// Answers the box that comes up with the button whose text is asked for, after noting every
// button's text and whether the box is as wide as its title asks.
struct BoxReader {
    QStringList buttons;
    int width = 0;
    void readThenPress(const QString& answer) {
        QTimer::singleShot(0, [this, answer] {
            QWidget* box = QApplication::activeModalWidget();
            ASSERT_NE(box, nullptr);
            width = box->width();
            QAbstractButton* chosen = nullptr;
            for (QAbstractButton* button : box->findChildren<QAbstractButton*>()) {
                buttons << button->text();
                if (button->text() == answer)
                    chosen = button;
            }
            ASSERT_NE(chosen, nullptr);
            chosen->click();
        });
    }
};

TEST(FrenchBoxes, ButtonsAreFrenchAndBoxesAsWideAsTheirTitles) {
    QtToolkit toolkit;
    const std::string title = " Effacer le fichiers? avec un titre bien plus long que le texte";
    BoxReader question;
    question.readThenPress("&Non");
    EXPECT_EQ(toolkit.message("Effacer ?", Icon::Question, Buttons::YesNo, title), Reply::No);
    question.buttons.sort();
    EXPECT_EQ(question.buttons, (QStringList{"&Non", "&Oui"}));
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    EXPECT_GE(question.width,
              QFontMetrics(titleFont).horizontalAdvance(QString::fromStdString(title)));

    BoxReader told;
    told.readThenPress("OK");
    EXPECT_EQ(toolkit.message("Fait.", Icon::None, Buttons::Ok, "Fin"), Reply::Ok);
    EXPECT_EQ(told.buttons, QStringList{"OK"});

    // An input box holds a whole 255-byte name and answers in French.
    BoxReader input;
    input.readThenPress("Annuler");
    const std::string longName(251, 'n');
    EXPECT_EQ(toolkit.input("Nouveau nom :", "Rallonger", longName + ".jpg"), "");
    input.buttons.sort();
    EXPECT_EQ(input.buttons, (QStringList{"Annuler", "OK"}));
    QLineEdit probe;
    const int whole = probe.fontMetrics().horizontalAdvance(QString::fromStdString(longName));
    const QScreen* screen = QApplication::primaryScreen();
    EXPECT_GE(input.width, std::min(whole, screen->availableGeometry().width() * 9 / 10));
}

} // namespace
} // namespace quorvel
