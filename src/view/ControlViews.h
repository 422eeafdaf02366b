#pragma once

#include "controls/Controls.h"

#include <QAbstractListModel>
#include <QAbstractTableModel>
#include <QColor>
#include <QFutureWatcher>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QProxyStyle>
#include <QStyledItemDelegate>
#include <QWidget>
#include <functional>
#include <memory>
#include <stop_token>

namespace quorvel {

// A label that tells of a press, as the window model lets labels be clicked.
class ClickLabel : public QLabel {
public:
    explicit ClickLabel(QWidget* parent) : QLabel(parent) {}
    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// A frame, clickable like every control; a press inside it is not the window's.
class ClickFrame : public QGroupBox {
public:
    explicit ClickFrame(QWidget* parent) : QGroupBox(parent) {}
    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Frame captions clear of the corner, where a neighbouring panel may overlap a little, with
// the frame's line through the middle of the caption as the window was laid out for: a line
// under the caption would run through the controls placed just below it.
class FrameStyle : public QProxyStyle {
public:
    explicit FrameStyle(int captionIndent) : indent_(captionIndent) {}
    // A frame's own caption font, in place of the frame's font, as a property of the frame.
    static constexpr const char* captionFontProperty = "captionFont";
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;

private:
    int indent_;
};

// An image that stretches its picture to its own size. It draws the picture the logic
// decoded for it; a picture set without one is decoded in the background, once, at the size
// the image has then. A resize only stretches what it has.
class PictureView : public QWidget {
public:
    explicit PictureView(QWidget* parent);
    ~PictureView() override;
    PictureView(const PictureView&) = delete;
    PictureView& operator=(const PictureView&) = delete;
    void setPicture(const QString& path, const std::shared_ptr<const Picture>& decoded);
    const QImage& image() const { return image_; }
    std::function<void()> onPress;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // Enter or Space opens a picture that takes the focus; the arrows go to its neighbours.
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void decodeInBackground();
    // The picture next to this one among its shown siblings that take the focus.
    PictureView* neighbour(int step) const;
    void stopDecoding();
    QString path_;
    QImage image_;
    bool decodeAsked_ = false;
    std::stop_source stop_;
    QFutureWatcher<QImage> watcher_;
};

// The rows of a list of the window model, as Qt sees them: each change the list announces
// maps one to one onto Qt's own row operation, so that a re-read that adds one file
// inserts one row instead of resetting the view.
class ListRowsModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex& parent = {}) const override;
    // A change of rows, or of the selection (only the highlight is repainted).
    void apply(const Change& change);

protected:
    // The count the list has now.
    virtual int listCount() const = 0;
};

// The rows of a file list, read from the model on demand: a long list costs no more than
// the rows on screen. Selection is drawn from the model, never kept by the view.
class FileRowsModel : public ListRowsModel {
public:
    FileRowsModel(FileList& list, QColor highlight, QColor highlightedText, QObject* parent);
    QVariant data(const QModelIndex& index, int role) const override;
    // The list is about to go away: show nothing from now on.
    void forget();

protected:
    int listCount() const override { return list_ == nullptr ? 0 : list_->count(); }

private:
    FileList* list_;
    QColor highlight_;
    QColor highlightedText_;
};

// The rows of a table control, read from the model on demand; a marked row is drawn in
// the mark's colours.
class TableRowsModel : public QAbstractTableModel {
public:
    TableRowsModel(Table& table, QColor markBack, QColor markText, QObject* parent);
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void apply(const Change& change);
    // The table is about to go away: show nothing from now on.
    void forget();

private:
    Table* table_;
    QColor markBack_;
    QColor markText_;
};

// A folder list's entries -N..-1 (the open folder's ancestors, drive root first), then
// 0..n-1 (its subfolders).
class FolderEntriesModel : public ListRowsModel {
public:
    static constexpr int depthRole = Qt::UserRole + 1;

    FolderEntriesModel(FolderList& list, QColor highlight, QColor highlightedText, QObject* parent);
    QVariant data(const QModelIndex& index, int role) const override;
    // The entry index (-N..n-1) of a row.
    int entryOf(int row) const;
    void forget();

protected:
    int listCount() const override {
        return list_ == nullptr ? 0 : list_->ancestorCount() + list_->subfolderCount();
    }

private:
    FolderList* list_;
    QColor highlight_;
    QColor highlightedText_;
    QPixmap open_;
    QPixmap closed_;
};

// A row too long for its list is elided by the view; its tooltip then tells the whole name.
class WholeNameTips : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;
    // Whether the row's whole text shows in the width it has.
    bool fits(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

// Indents each folder entry by its depth, as a tree would.
class FolderEntryDelegate : public QStyledItemDelegate {
public:
    FolderEntryDelegate(int indent, QObject* parent)
        : QStyledItemDelegate(parent), indent_(indent) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int indent_;
};

} // namespace quorvel
