// The binders of the lists: drives, folders, files and the preview's table.

#include "platform/qtservices/Icons.h"
#include "text/Paths.h"
#include "view/Accessibility.h"
#include "view/ControlViews.h"
#include "view/FileListInput.h"
#include "view/FormBinding.h"
#include "view/FormWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <memory>

namespace quorvel {

FormWindow::Refresh FormWindow::bindDriveList(Control& control, QWidget*& widget, QWidget* parent) {
    auto& drives = static_cast<DriveList&>(control);
    auto* combo = new QComboBox(parent);
    nameByLabel(*combo);
    // The roots as the model gave them, so that a pick maps back to its own bytes.
    auto roots = std::make_shared<std::vector<std::string>>();
    Refresh mirror = [combo, &drives, roots](Change) {
        *roots = drives.entries();
        if (std::find(roots->begin(), roots->end(), drives.drive()) == roots->end() &&
            !drives.drive().empty())
            roots->push_back(drives.drive());
        QStringList items;
        for (const std::string& root : *roots)
            items << qs(root);
        setItems(combo, items);
        const auto at = std::find(roots->begin(), roots->end(), drives.drive());
        const QSignalBlocker blocker(combo);
        combo->setCurrentIndex(at == roots->end() ? -1 : static_cast<int>(at - roots->begin()));
    };
    connect(combo, &QComboBox::activated, combo, [this, &drives, roots, mirror](int index) {
        if (index < 0 || index >= static_cast<int>(roots->size()))
            return;
        const std::string root = (*roots)[static_cast<std::size_t>(index)];
        drives.setDrive(root);
        // A drive that went away leaves the list on the drive it had.
        if (form_ != nullptr)
            mirror(Change::All);
    });
    widget = combo;
    return mirror;
}

FormWindow::Refresh FormWindow::bindFolderList(Control& control, QWidget*& widget,
                                               QWidget* parent) {
    const QPalette colours = QApplication::palette();
    auto& folders = static_cast<FolderList&>(control);
    auto* view = new QListView(parent);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setIconSize(QSize(16, 16));
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* model = new FolderEntriesModel(folders, colours.color(QPalette::Highlight),
                                         colours.color(QPalette::HighlightedText), view);
    view->setModel(model);
    view->setItemDelegate(new FolderEntryDelegate(pixels(120), view));
    // Arrows, typed letters and clicks all move the highlight, which Enter opens.
    connect(view->selectionModel(), &QItemSelectionModel::currentChanged, view,
            [this, &folders, model](const QModelIndex& at) {
                if (form_ != nullptr && at.isValid())
                    folders.highlight(model->entryOf(at.row()));
            });
    const auto open = [&folders](int entry) {
        if (const auto path = folders.entry(entry))
            folders.setPath(*path);
    };
    connect(view, &QListView::doubleClicked, view,
            [open, model](const QModelIndex& at) { open(model->entryOf(at.row())); });
    view->installEventFilter(new ListKeys(view, [open, &folders](int key) {
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return false;
        open(folders.highlighted());
        return true;
    }));
    releases_.push_back([model] { model->forget(); });
    widget = view;
    return [view, model, &folders](Change change) {
        model->apply(change);
        if (change.ahead() || change.kind == Change::Selection)
            return;
        // Once the rows change, the highlighted folder (the open one, after an opening) is
        // current and in view, wherever the list had been scrolled to.
        const QModelIndex at = model->index(folders.highlighted() + folders.ancestorCount());
        if (!at.isValid())
            return;
        const QSignalBlocker blocker(view->selectionModel());
        view->setCurrentIndex(at);
        view->scrollTo(at);
    };
}

FormWindow::Refresh FormWindow::bindFileList(Control& control, QWidget*& widget, QWidget* parent) {
    const QPalette colours = QApplication::palette();
    auto& files = static_cast<FileList&>(control);
    auto* view = new QListView(parent);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setUniformItemSizes(true);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* model = new FileRowsModel(files, colours.color(QPalette::Highlight),
                                    colours.color(QPalette::HighlightedText), view);
    view->setModel(model);
    view->setTextElideMode(Qt::ElideMiddle);
    view->setItemDelegate(new WholeNameTips(view));
    takeFileListInput(*view, files, [this] { return form_ != nullptr; });
    // F5 is the preview's, on the menu bar; the list's own fresh look at its folder is Ctrl+R.
    auto* reread = new QAction(view);
    reread->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    reread->setShortcutContext(Qt::WidgetShortcut);
    view->addAction(reread);
    connect(reread, &QAction::triggered, view, [this, &files] {
        if (form_ != nullptr && files.onReread)
            files.onReread();
    });
    releases_.push_back([model] { model->forget(); });
    widget = view;
    return [view, model, &files](Change change) {
        model->apply(change);
        // The current row is looked at once the rows are as the list has them.
        if (change.ahead())
            return;
        const QModelIndex current =
            files.current() >= 0 ? model->index(files.current()) : QModelIndex();
        if (view->currentIndex() != current)
            view->setCurrentIndex(current);
    };
}

FormWindow::Refresh FormWindow::bindTable(Control& control, QWidget*& widget, QWidget* parent) {
    auto& table = static_cast<Table&>(control);
    auto* view = new QTableView(parent);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setWordWrap(false);
    view->verticalHeader()->setVisible(false);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    // A marked row stands out by its colours as well as by its text.
    auto* model = new TableRowsModel(table, QColor(0xFF, 0xD0, 0xD0), QColor(0xA0, 0, 0), view);
    view->setModel(model);
    releases_.push_back([model] { model->forget(); });
    widget = view;
    return [model](Change change) { model->apply(change); };
}

} // namespace quorvel
