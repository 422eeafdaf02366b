#include "platform/qtservices/QtToolkit.h"
#include "testing/MemoryFileSystem.h"
#include "view/FormWindow.h"
#include "view/QtFormHost.h"

#include <QApplication>
#include <QListView>
#include <QTest>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

// F5 belongs to the preview on the menu bar; in a file list Ctrl+R asks for the re-read.
TEST(ListReread, CtrlRInAFileListAsksForItsReread) {
    QtToolkit toolkit;
    QtFormHost forms{toolkit};
    MemoryFileSystem fs;
    fs.files["/photos"] = {"a.jpg"};
    Form form{"Form1", 6000, 4000};
    auto& files = form.add<FileList>("File1", &form, Geometry{120, 120, 3000, 1400}, fs);
    auto& other = form.add<FileList>("File2", &form, Geometry{3120, 120, 2500, 1400}, fs);
    files.setPath("/photos");
    other.setPath("/photos");
    int asked = 0;
    files.onReread = [&] {
        ++asked;
        files.reread();
    };
    forms.showForm(form);
    QApplication::setActiveWindow(forms.windowOf(form));
    auto* list = dynamic_cast<QListView*>(forms.windowOf(form)->widgetOf("File1"));
    ASSERT_NE(list, nullptr);
    list->setFocus();
    fs.files["/photos"] = {"a.jpg", "b.jpg"};

    QTest::keyClick(list, Qt::Key_F5);
    EXPECT_EQ(asked, 0);
    QTest::keyClick(list, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(list->model()->rowCount(), 2);
    // The other list was not asked.
    EXPECT_EQ(other.count(), 1);
    forms.closeAll();
}

} // namespace
} // namespace quorvel
