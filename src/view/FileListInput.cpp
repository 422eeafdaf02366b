#include "view/FileListInput.h"

#include "controls/Controls.h"
#include "text/Paths.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QListView>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <memory>

namespace quorvel {

namespace {

bool movesCurrent(int key) {
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        return false;
    }
}

// The row chosen last, from which Shift extends, and whether the move under way extends.
struct Anchor {
    int row = -1;
    bool extending = false;
    bool adding = false;
};

class FileListFilter : public QObject {
public:
    FileListFilter(QListView& view, FileList& files, std::function<bool()> alive,
                   std::shared_ptr<Anchor> anchor)
        : QObject(&view), view_(view), files_(files), alive_(std::move(alive)),
          anchor_(std::move(anchor)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress && watched == &view_)
            return key(*static_cast<QKeyEvent*>(event));
        if (event->type() == QEvent::MouseButtonPress && watched == view_.viewport())
            return press(*static_cast<QMouseEvent*>(event));
        return QObject::eventFilter(watched, event);
    }

private:
    bool key(const QKeyEvent& event) {
        const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
        anchor_->extending = movesCurrent(event.key()) && (modifiers & Qt::ShiftModifier);
        anchor_->adding = modifiers & Qt::ControlModifier;
        if (!alive_())
            return false;
        if (event.matches(QKeySequence::SelectAll)) {
            files_.selectAll();
            return true;
        }
        if (event.key() == Qt::Key_Space && modifiers == Qt::NoModifier) {
            if (view_.currentIndex().isValid()) {
                anchor_->row = view_.currentIndex().row();
                files_.toggle(anchor_->row);
            }
            return true;
        }
        return false;
    }

    bool press(const QMouseEvent& event) {
        if (event.button() != Qt::LeftButton || !alive_())
            return false;
        const QModelIndex at = view_.indexAt(event.position().toPoint());
        view_.setFocus(Qt::MouseFocusReason);
        if (!at.isValid())
            return true;
        const int row = at.row();
        const Qt::KeyboardModifiers modifiers = event.modifiers();
        if (modifiers & Qt::ShiftModifier) {
            files_.selectRange(anchor_->row, row, modifiers & Qt::ControlModifier);
            return true;
        }
        anchor_->row = row;
        if (modifiers & Qt::ControlModifier)
            files_.toggle(row);
        else
            files_.selectOnly(row);
        return true;
    }

    QListView& view_;
    FileList& files_;
    std::function<bool()> alive_;
    std::shared_ptr<Anchor> anchor_;
};

// Reads the local paths of a drop as the file system's bytes.
std::vector<std::string> droppedPaths(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr || !data->hasUrls())
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return paths;
}

class DropFilter : public QObject {
public:
    DropFilter(QWidget& pane, FolderList& folders, FileList* files, std::function<bool()> alive)
        : QObject(&pane), folders_(folders), files_(files), alive_(std::move(alive)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (!droppedPaths(drag->mimeData()).empty()) {
                drag->setDropAction(Qt::LinkAction);
                drag->accept();
                return true;
            }
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (alive_() && dropPaths(droppedPaths(drop->mimeData()), folders_, files_)) {
                // The files stay where they are: the pane only looks at them.
                drop->setDropAction(Qt::LinkAction);
                drop->accept();
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    FolderList& folders_;
    FileList* files_;
    std::function<bool()> alive_;
};

} // namespace

void takeFileListInput(QListView& view, FileList& files, const std::function<bool()>& alive) {
    auto anchor = std::make_shared<Anchor>();
    auto* filter = new FileListFilter(view, files, alive, anchor);
    view.installEventFilter(filter);
    view.viewport()->installEventFilter(filter);
    // The row the view marks on taking the focus is not the list's until the user moves
    // it: the strip of thumbnails starts at the list's current row.
    QObject::connect(view.selectionModel(), &QItemSelectionModel::currentChanged, &view,
                     [&files, alive, anchor](const QModelIndex& at, const QModelIndex& before) {
                         if (!alive() || !at.isValid() || !before.isValid() ||
                             at.row() == files.current())
                             return;
                         if (anchor->extending) {
                             files.selectRange(anchor->row, at.row(), anchor->adding);
                             return;
                         }
                         anchor->row = at.row();
                         files.setCurrent(at.row());
                     });
}

void takeDrops(QWidget& pane, FolderList& folders, FileList* files, std::function<bool()> alive) {
    pane.setAcceptDrops(true);
    pane.installEventFilter(new DropFilter(pane, folders, files, std::move(alive)));
}

bool dropPaths(const std::vector<std::string>& paths, FolderList& folders, FileList* files) {
    if (paths.empty())
        return false;
    if (folders.setPath(paths.front()) == 0)
        return true;
    if (files == nullptr || folders.setPath(parentFolder(paths.front())) != 0)
        return false;
    bool first = true;
    for (const std::string& path : paths) {
        const int row =
            parentFolder(path) == folders.path() ? files->indexOf(lastComponent(path)) : -1;
        if (row < 0)
            continue;
        files->selectRange(row, row, !first);
        first = false;
    }
    return true;
}

} // namespace quorvel
