#include "view/FormWindow.h"

#include "platform/qtservices/Icons.h"
#include "platform/qtservices/QtPictures.h"
#include "testing/MemoryFileSystem.h"
#include "view/ControlViews.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QRadioButton>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// Types as a keyboard would, accented letters included.
void type(QWidget* widget, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

// A small window with one control of each kind the tests drive.
class FormWindowTest : public testing::Test {
protected:
    FormWindowTest() : drives(fs) {
        fs.subfolders["/"] = {"a"};
        fs.subfolders["/a"] = {"b"};
        fs.subfolders["/a/b"] = {"c", "d"};
        fs.subfolders["/a/b/c"] = {};
        fs.subfolders["/a/b/d"] = {};
        fs.files["/a/b"] = {"IMG_1.jpg", "bad\xff.jpg", "IMG_3.jpg"};

        frameA = &form.add<Frame>("FrameA", &form, Geometry{300, 600, 3000, 2400});
        frameA->setCaption("Premier");
        frameB = &form.add<Frame>("FrameB", &form, Geometry{3600, 600, 3000, 2400});
        a1 = &form.add<OptionButton>("A1", frameA, Geometry{120, 300, 2000, 300});
        a2 = &form.add<OptionButton>("A2", frameA, Geometry{120, 660, 2000, 300});
        b1 = &form.add<OptionButton>("B1", frameB, Geometry{120, 300, 2000, 300});
        text = &form.add<TextBox>("Text1", &form, Geometry{1500, 150, 1500, 300});
        combo = &form.add<ComboBox>("Combo1", &form, Geometry{3300, 150, 1500, 315});
        label = &form.add<Label>("Label1", frameA, Geometry{120, 1200, 2400, 300});
        check = &form.add<CheckBox>("Check1", frameB, Geometry{120, 1200, 2400, 300});
        image = &form.add<Image>("Image1", &form, Geometry{300, 3300, 1500, 1125});
        button = &form.add<PictureButton>("Up", &form, Geometry{7000, 150, 255, 255}, "up");
        dir = &form.add<FolderList>("Dir1", &form, Geometry{7000, 600, 3000, 1890}, drives);
        files = &form.add<FileList>("File1", &form, Geometry{7000, 2700, 3000, 2400}, fs);
        combo->addItem("jpg");
        combo->addItem("gif");
        combo->setText("jpg");
        b1->select();
        dir->setPath("/a/b");
        files->setPath("/a/b");
        form.setCaption("Essai");
    }

    template <typename W> W* view(const std::string& name) {
        return dynamic_cast<W*>(window().widgetOf(name));
    }
    FormWindow& window() {
        if (!window_) {
            window_ = std::make_unique<FormWindow>(form);
            window_->show();
        }
        return *window_;
    }
    int px(int twips) { return window().pixels(twips); }
    // On the indicator: a button with no caption takes clicks there only.
    void press(const std::string& name) {
        QWidget* button = window().widgetOf(name);
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    }

    MemoryFileSystem fs;
    Drives drives;
    Form form{"Form1", 12000, 6000};
    Frame* frameA;
    Frame* frameB;
    OptionButton* a1;
    OptionButton* a2;
    OptionButton* b1;
    TextBox* text;
    ComboBox* combo;
    Label* label;
    CheckBox* check;
    Image* image;
    PictureButton* button;
    FolderList* dir;
    FileList* files;

private:
    std::unique_ptr<FormWindow> window_;
};

TEST_F(FormWindowTest, PlacesControlsAtTheirTwipsAndMirrorsChanges) {
    const double scale = window().logicalDpiX() / 96.0;
    EXPECT_EQ(px(1500), qRound(100 * scale));
    EXPECT_EQ(window().size(), QSize(px(12000), px(6000)));
    EXPECT_EQ(window().windowTitle(), "Essai");
    EXPECT_EQ(view<QLineEdit>("Text1")->geometry(), QRect(px(1500), px(150), px(1500), px(300)));
    // A frame's children are placed from the frame's own top-left corner.
    QWidget* labelView = view<QLabel>("Label1");
    EXPECT_EQ(labelView->parentWidget(), view<QGroupBox>("FrameA"));
    EXPECT_EQ(labelView->geometry(), QRect(px(120), px(1200), px(2400), px(300)));
    EXPECT_EQ(view<QGroupBox>("FrameA")->title(), "Premier");

    label->setCaption("Déjà là");
    label->setTooltip("aide");
    label->setForeColor(0xFF0000);
    label->setGeometry({240, 1500, 2000, 300});
    EXPECT_EQ(view<QLabel>("Label1")->text(), "Déjà là");
    EXPECT_EQ(labelView->toolTip(), "aide");
    EXPECT_EQ(labelView->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(labelView->geometry(), QRect(px(240), px(1500), px(2000), px(300)));

    frameB->setVisible(false);
    EXPECT_TRUE(view<QGroupBox>("FrameB")->isHidden());
    frameB->setVisible(true);
    EXPECT_TRUE(view<QGroupBox>("FrameB")->isVisible());

    files->setBackColor(0xFFC080);
    files->setCaption(""); // any change is mirrored in full
    EXPECT_EQ(view<QListView>("File1")->palette().color(QPalette::Base), QColor(0xFF, 0xC0, 0x80));

    form.setCaption("Autre titre");
    EXPECT_EQ(window().windowTitle(), "Autre titre");
}

TEST_F(FormWindowTest, TypingReachesTheTextBoxAndCodeReachesTheView) {
    int changes = 0;
    text->onChange = [&] { ++changes; };
    QLineEdit* edit = view<QLineEdit>("Text1");
    type(edit, "été");
    EXPECT_EQ(text->text(), "\xc3\xa9t\xc3\xa9");
    EXPECT_EQ(changes, 3);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(text->text(), "\xc3\xa9t");

    text->setText("Vacances");
    EXPECT_EQ(edit->text(), "Vacances");
    text->readOnly = true;
    text->setText("lecture");
    EXPECT_TRUE(edit->isReadOnly());
}

TEST_F(FormWindowTest, PickingFromTheComboRunsItsClickButTypingDoesNot) {
    int clicks = 0;
    combo->onClick = [&] { ++clicks; };
    auto* box = view<QComboBox>("Combo1");
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->currentText(), "jpg");

    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(combo->text(), "gif");
    EXPECT_EQ(clicks, 1);

    box->lineEdit()->selectAll();
    QTest::keyClicks(box->lineEdit(), "tif");
    EXPECT_EQ(combo->text(), "tif");
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(box->count(), 2); // nothing typed becomes an entry

    combo->addItem("bmp");
    combo->setText("mp3");
    EXPECT_EQ(box->count(), 3);
    EXPECT_EQ(box->itemText(2), "bmp");
    EXPECT_EQ(box->currentText(), "mp3");
}

TEST_F(FormWindowTest, OptionButtonsAreExclusiveWithinTheirContainer) {
    int clicks = 0;
    a1->onClick = [&] { ++clicks; };
    auto* r1 = view<QRadioButton>("A1");
    auto* r2 = view<QRadioButton>("A2");
    auto* rb = view<QRadioButton>("B1");
    EXPECT_TRUE(rb->isChecked());

    press("A1");
    EXPECT_TRUE(a1->value());
    EXPECT_TRUE(r1->isChecked());
    EXPECT_TRUE(b1->value());
    EXPECT_TRUE(rb->isChecked());

    press("A2");
    EXPECT_TRUE(a2->value());
    EXPECT_FALSE(a1->value());
    EXPECT_FALSE(r1->isChecked());
    EXPECT_TRUE(r2->isChecked());

    // Selecting the selected one again still runs its click and leaves it selected.
    press("A2");
    EXPECT_TRUE(r2->isChecked());
    press("A1");
    press("A1");
    EXPECT_EQ(clicks, 3);
    EXPECT_TRUE(r1->isChecked());

    a2->select(); // from code
    EXPECT_TRUE(r2->isChecked());
    EXPECT_FALSE(r1->isChecked());
}

TEST_F(FormWindowTest, CheckBoxLabelAndImageClicksReachTheModel) {
    int labelClicks = 0;
    int imageClicks = 0;
    int formClicks = 0;
    label->onClick = [&] { ++labelClicks; };
    image->onClick = [&] { ++imageClicks; };
    form.onClick = [&] { ++formClicks; };
    int frameClicks = 0;
    frameA->onClick = [&] { ++frameClicks; };

    press("Check1");
    EXPECT_TRUE(check->value());
    EXPECT_TRUE(view<QCheckBox>("Check1")->isChecked());
    check->setValue(false);
    EXPECT_FALSE(view<QCheckBox>("Check1")->isChecked());

    QTest::mouseClick(view<QLabel>("Label1"), Qt::LeftButton);
    QTest::mouseClick(window().widgetOf("Image1"), Qt::LeftButton);
    // The margin of the window, away from every control.
    QTest::mouseClick(&window(), Qt::LeftButton, {}, QPoint(px(11800), px(5800)));
    EXPECT_EQ(labelClicks, 1);
    EXPECT_EQ(imageClicks, 1);
    EXPECT_EQ(formClicks, 1);
    // A frame is a control of its own: its click is not the window's.
    QTest::mouseClick(window().widgetOf("FrameA"), Qt::LeftButton, {}, QPoint(px(2800), px(2200)));
    EXPECT_EQ(frameClicks, 1);
    EXPECT_EQ(formClicks, 1);
}

TEST_F(FormWindowTest, ImageDecodesItsPictureOnceInTheBackgroundAndStretchesIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("portrait.png");
    QImage picture(30, 60, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(path));

    image->setPicture(path.toStdString());
    auto* shown = dynamic_cast<PictureView*>(window().widgetOf("Image1"));
    ASSERT_NE(shown, nullptr);
    const QSize frame = QSize(px(1500), px(1125)) * shown->devicePixelRatioF();
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown->image().size() == frame; }, 5000));
    // A resize stretches what was decoded; it does not decode again.
    image->setWidth(900);
    QTest::qWait(50);
    EXPECT_EQ(shown->image().size(), frame);

    // A picture the logic decoded is drawn as it is.
    QImage decoded(7, 5, QImage::Format_RGB32);
    decoded.fill(Qt::blue);
    image->setPicture(path.toStdString(), std::make_shared<QtPicture>(decoded));
    EXPECT_EQ(shown->image(), decoded);
    image->setPicture("");
    EXPECT_TRUE(shown->image().isNull());
}

TEST_F(FormWindowTest, FileRowClickSelectsInTheModelAndTheViewShowsIt) {
    int clicks = 0;
    files->onClick = [&] { ++clicks; };
    auto* list = view<QListView>("File1");
    QAbstractItemModel* rows = list->model();
    ASSERT_EQ(rows->rowCount(), 3);
    // A name that is not UTF-8 shows with a visible substitute.
    EXPECT_EQ(rows->index(1, 0).data().toString(), QString("bad") + QChar(0xFFFD) + ".jpg");

    const QPoint second = list->visualRect(rows->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
    EXPECT_TRUE(files->selected(1));
    EXPECT_EQ(files->current(), 1);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(rows->index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(rows->index(0, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(list->currentIndex().row(), 1);
    // The view keeps no selection of its own to disagree with the model.
    EXPECT_TRUE(list->selectionModel()->selectedIndexes().isEmpty());

    const QPoint third = list->visualRect(rows->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, third);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, second);
    EXPECT_FALSE(files->selected(1));
    EXPECT_TRUE(files->selected(2));
    EXPECT_FALSE(rows->index(1, 0).data(Qt::BackgroundRole).isValid());

    // A re-read from code rebuilds the rows and clears what the view shows.
    fs.files["/a/b"] = {"x.jpg"};
    files->refresh();
    EXPECT_EQ(rows->rowCount(), 1);
    EXPECT_FALSE(list->currentIndex().isValid());
}

TEST_F(FormWindowTest, AReReadMapsOntoRowOperationsNotAReset) {
    auto* list = view<QListView>("File1");
    ASSERT_NE(list, nullptr);
    QAbstractItemModel* model = list->model();
    // Fails the run at once where the model's signals and counts disagree.
    QAbstractItemModelTester tester(model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(model, &QAbstractItemModel::modelReset);

    fs.files["/a/b"] = {"IMG_1.jpg", "IMG_2.jpg", "bad\xff.jpg", "IMG_3.jpg"};
    files->refresh();
    ASSERT_EQ(inserted.count(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 1);
    EXPECT_EQ(inserted[0][2].toInt(), 1);
    EXPECT_EQ(model->rowCount(), 4);
    EXPECT_EQ(model->index(1, 0).data().toString(), "IMG_2.jpg");

    fs.files["/a/b"] = {"IMG_1.jpg", "IMG_3.jpg"};
    files->refresh();
    ASSERT_EQ(removed.count(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 1);
    EXPECT_EQ(removed[0][2].toInt(), 2);
    EXPECT_EQ(model->index(1, 0).data().toString(), "IMG_3.jpg");
    EXPECT_EQ(reset.count(), 0);

    // Another folder with nothing in common replaces every row.
    fs.files["/a"] = {"x.jpg"};
    files->setPath("/a");
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model->rowCount(), 1);

    // The folder list replaces its rows, told before and after as well.
    QAbstractItemModel* folders = view<QListView>("Dir1")->model();
    QAbstractItemModelTester folderTester(folders,
                                          QAbstractItemModelTester::FailureReportingMode::Fatal);
    dir->setPath("/a/b/c");
    EXPECT_EQ(folders->rowCount(), 4);
    EXPECT_EQ(folders->index(3, 0).data().toString(), "c");
}

TEST_F(FormWindowTest, LongFileListIsOneModelNotOneWidgetPerRow) {
    std::vector<std::string> many;
    for (int i = 0; i < 100000; ++i)
        many.push_back("IMG_" + std::to_string(i) + ".jpg");
    fs.files["/a/b"] = many;
    files->refresh();
    auto* list = view<QListView>("File1");
    QAbstractItemModel* rows = list->model();
    EXPECT_EQ(rows->rowCount(), 100000);
    EXPECT_LT(window().findChildren<QWidget*>().size(), 200);

    // A change of selection repaints rows; it does not rebuild the list.
    QSignalSpy resets(rows, &QAbstractItemModel::modelReset);
    QSignalSpy changes(rows, &QAbstractItemModel::dataChanged);
    files->toggle(99999);
    EXPECT_EQ(resets.count(), 0);
    EXPECT_GE(changes.count(), 1);
    EXPECT_TRUE(rows->index(99999, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_EQ(rows->index(99999, 0).data().toString(), "IMG_99999.jpg");
}

TEST_F(FormWindowTest, FolderListShowsAncestorsThenSubfoldersAndOpensOnDoubleClick) {
    int changes = 0;
    dir->onChange = [&] { ++changes; };
    auto* list = view<QListView>("Dir1");
    QAbstractItemModel* entries = list->model();
    ASSERT_EQ(entries->rowCount(), 5);
    QStringList shown;
    QList<int> depths;
    for (int row = 0; row < 5; ++row) {
        shown << entries->index(row, 0).data().toString();
        depths << entries->index(row, 0).data(FolderEntriesModel::depthRole).toInt();
    }
    EXPECT_EQ(shown, QStringList({"/", "a", "b", "c", "d"}));
    EXPECT_EQ(depths, QList<int>({0, 1, 2, 3, 3}));
    EXPECT_TRUE(entries->index(2, 0).data(Qt::BackgroundRole).isValid()); // the open folder

    const QPoint parentRow = list->visualRect(entries->index(1, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, parentRow);
    EXPECT_EQ(dir->highlighted(), -2);
    EXPECT_EQ(dir->path(), "/a/b");
    EXPECT_TRUE(entries->index(1, 0).data(Qt::BackgroundRole).isValid());
    EXPECT_FALSE(entries->index(2, 0).data(Qt::BackgroundRole).isValid());

    const QPoint lastRow = list->visualRect(entries->index(4, 0)).center();
    // A real double click: the first press and release, then the second press.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, lastRow);
    EXPECT_EQ(dir->highlighted(), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, lastRow);
    EXPECT_EQ(dir->path(), "/a/b/d");
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(entries->rowCount(), 4); // "/", "a", "b", "d"
    EXPECT_EQ(entries->index(3, 0).data().toString(), "d");
}

TEST_F(FormWindowTest, CloseBoxAsksTheModelAndDetachedWindowIgnoresInput) {
    int asked = 0;
    form.onClose = [&] { ++asked; };
    window().close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(window().isVisible()); // the model did not let the form go

    window().detach();
    text->setText("après"); // no longer mirrored, and nothing reaches a gone form
    EXPECT_EQ(view<QLineEdit>("Text1"), nullptr);
    window().close();
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(window().isVisible());
}

TEST(ButtonIcons, EveryIdHasItsOwnPicture) {
    const QStringList ids{
        "up",      "new-folder",     "rename-folder", "delete-file",   "delete-folder",
        "view",    "copy-to-target", "cut-left",      "lengthen-left", "cut-right",
        "add-type"};
    const QImage fallback = buttonPixmap("no-such-icon", 16, 1).toImage();
    QSet<QByteArray> seen;
    for (const QString& id : ids) {
        const QImage picture = buttonPixmap(id, 16, 1).toImage();
        EXPECT_NE(picture, fallback) << id.toStdString();
        const QByteArray pixels(reinterpret_cast<const char*>(picture.constBits()),
                                static_cast<int>(picture.sizeInBytes()));
        EXPECT_FALSE(seen.contains(pixels)) << id.toStdString() << " looks like another icon";
        seen.insert(pixels);
    }
    EXPECT_NE(openFolderPixmap(16, 1).toImage(), closedFolderPixmap(16, 1).toImage());
    EXPECT_EQ(buttonPixmap("up", 16, 2).toImage().size(), QSize(32, 32));
    for (const int size : {16, 32, 256})
        EXPECT_FALSE(programIcon().pixmap(size).isNull());
}

TEST_F(FormWindowTest, PictureButtonShowsItsIconAndClicks) {
    int clicks = 0;
    button->onClick = [&] { ++clicks; };
    auto* tool = view<QToolButton>("Up");
    EXPECT_FALSE(tool->icon().isNull());
    QTest::mouseClick(tool, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace quorvel
