#include "view/ControlViews.h"

#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/Icons.h"
#include "platform/qtservices/QtPictures.h"
#include "text/Paths.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPromise>
#include <QStyle>
#include <QStyleOption>
#include <QThreadPool>
#include <QToolTip>
#include <algorithm>
#include <optional>
#include <qdrawutil.h>
#include <vector>

namespace quorvel {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onPress)
        onPress();
    event->accept();
}

void ClickFrame::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onPress)
        onPress();
    event->accept();
}

namespace {

// The frame's option measured in its caption font, when it has one of its own.
std::optional<QStyleOptionGroupBox> inCaptionFont(const QStyleOptionComplex* option,
                                                  const QWidget* widget) {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (box == nullptr || widget == nullptr)
        return std::nullopt;
    const QVariant font = widget->property(FrameStyle::captionFontProperty);
    if (!font.isValid())
        return std::nullopt;
    QStyleOptionGroupBox measured(*box);
    measured.fontMetrics = QFontMetrics(font.value<QFont>());
    return measured;
}

} // namespace

QRect FrameStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                 SubControl part, const QWidget* widget) const {
    const auto measured = control == CC_GroupBox ? inCaptionFont(option, widget) : std::nullopt;
    if (measured)
        option = &*measured;
    QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
    if (control != CC_GroupBox)
        return rect;
    if (part == SC_GroupBoxLabel || part == SC_GroupBoxCheckBox)
        rect.translate(indent_, 0);
    return rect;
}

void FrameStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                    QPainter* painter, const QWidget* widget) const {
    const auto* box = qstyleoption_cast<const QStyleOptionGroupBox*>(option);
    if (control != CC_GroupBox || box == nullptr || box->text.isEmpty() ||
        !(box->subControls & SC_GroupBoxLabel)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // The line stops on either side of the caption.
    const QRect caption = subControlRect(control, option, SC_GroupBoxLabel, widget);
    if (box->subControls & SC_GroupBoxFrame) {
        // An etched line, drawn here: the style's own frame keeps below its caption.
        QRect line = box->rect.adjusted(0, 0, -1, -1);
        line.setTop(caption.center().y());
        painter->save();
        painter->setClipRegion(QRegion(box->rect).subtracted(caption.adjusted(-2, 0, 2, 0)));
        qDrawShadeRect(painter, line, box->palette, true, 1, 0);
        painter->restore();
    }
    QStyleOptionGroupBox label(*box);
    label.subControls = SC_GroupBoxLabel;
    painter->save();
    if (const auto measured = inCaptionFont(option, widget)) {
        label.fontMetrics = measured->fontMetrics;
        painter->setFont(widget->property(captionFontProperty).value<QFont>());
    }
    QProxyStyle::drawComplexControl(control, &label, painter, widget);
    painter->restore();
}

PictureView::PictureView(QWidget* parent) : QWidget(parent) {
    QObject::connect(&watcher_, &QFutureWatcher<QImage>::finished, this, [this] {
        if (watcher_.future().resultCount() > 0)
            image_ = watcher_.future().result();
        update();
    });
}

PictureView::~PictureView() {
    stopDecoding();
}

void PictureView::setPicture(const QString& path, const std::shared_ptr<const Picture>& decoded) {
    if (const auto* ours = dynamic_cast<const QtPicture*>(decoded.get())) {
        stopDecoding();
        path_ = path;
        image_ = ours->image();
        update();
        return;
    }
    if (path == path_)
        return;
    stopDecoding();
    path_ = path;
    image_ = QImage();
    decodeAsked_ = false;
    decodeInBackground();
    update();
}

void PictureView::stopDecoding() {
    stop_.request_stop();
    stop_ = std::stop_source();
    // The watcher lets go of the old decoding: its result, if it comes, is not shown.
    watcher_.setFuture(QFuture<QImage>());
}

void PictureView::decodeInBackground() {
    const QSize pixels = size() * devicePixelRatioF();
    if (path_.isEmpty() || decodeAsked_ || pixels.isEmpty())
        return;
    decodeAsked_ = true;
    auto promise = std::make_shared<QPromise<QImage>>();
    watcher_.setFuture(promise->future());
    promise->start();
    backgroundPool().start([promise, path = path_, pixels, stop = stop_.get_token()] {
        promise->addResult(decodePicture(path, pixels, Qt::IgnoreAspectRatio, stop).image);
        promise->finish();
    });
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!image_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(rect(), image_);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
}

void PictureView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (event->modifiers() & ~Qt::KeypadModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && onPress) {
        onPress();
        return;
    }
    const int step = key == Qt::Key_Down || key == Qt::Key_Right ? 1
                     : key == Qt::Key_Up || key == Qt::Key_Left  ? -1
                                                                 : 0;
    PictureView* next = step == 0 ? nullptr : neighbour(step);
    if (next == nullptr) {
        QWidget::keyPressEvent(event);
        return;
    }
    next->setFocus(Qt::TabFocusReason);
}

PictureView* PictureView::neighbour(int step) const {
    std::vector<PictureView*> pictures;
    for (QObject* child : parentWidget()->children()) {
        auto* picture = dynamic_cast<PictureView*>(child);
        if (picture != nullptr && picture->isVisible() && (picture->focusPolicy() & Qt::TabFocus))
            pictures.push_back(picture);
    }
    std::sort(pictures.begin(), pictures.end(), [](const QWidget* a, const QWidget* b) {
        return std::pair(a->y(), a->x()) < std::pair(b->y(), b->x());
    });
    const auto at = std::find(pictures.begin(), pictures.end(), this);
    if (at == pictures.end())
        return nullptr;
    const auto index = (at - pictures.begin()) + step;
    return index < 0 || index >= static_cast<int>(pictures.size())
               ? nullptr
               : pictures[static_cast<std::size_t>(index)];
}

void PictureView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void PictureView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void PictureView::resizeEvent(QResizeEvent*) {
    // A picture set before the image had a size is decoded once it has one.
    decodeInBackground();
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && onPress)
        onPress();
    event->accept();
}

int ListRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : listCount();
}

void ListRowsModel::apply(const Change& change) {
    const int last = change.first + change.count - 1;
    switch (change.kind) {
    case Change::RowsAboutToBeInserted:
        beginInsertRows({}, change.first, last);
        break;
    case Change::RowsInserted:
        endInsertRows();
        break;
    case Change::RowsAboutToBeRemoved:
        beginRemoveRows({}, change.first, last);
        break;
    case Change::RowsRemoved:
        endRemoveRows();
        break;
    case Change::RowsAboutToBeReset:
        beginResetModel();
        break;
    case Change::RowsReset:
        endResetModel();
        break;
    case Change::RowsChanged:
        Q_EMIT dataChanged(index(change.first), index(last));
        break;
    case Change::Selection:
        if (rowCount() > 0)
            Q_EMIT dataChanged(index(0), index(rowCount() - 1),
                               {Qt::BackgroundRole, Qt::ForegroundRole});
        break;
    case Change::All:
        break;
    }
}

TableRowsModel::TableRowsModel(Table& table, QColor markBack, QColor markText, QObject* parent)
    : QAbstractTableModel(parent), table_(&table), markBack_(markBack), markText_(markText) {}

int TableRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || table_ == nullptr ? 0 : table_->count();
}

int TableRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() || table_ == nullptr ? 0 : static_cast<int>(table_->columns().size());
}

QVariant TableRowsModel::data(const QModelIndex& index, int role) const {
    if (table_ == nullptr || !index.isValid() || index.row() >= table_->count())
        return {};
    switch (role) {
    case Qt::DisplayRole: {
        if (index.column() >= columnCount())
            return {};
        const std::string_view text = table_->cell(index.row(), index.column());
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::BackgroundRole:
        return table_->marked(index.row()) ? QVariant(markBack_) : QVariant();
    case Qt::ForegroundRole:
        return table_->marked(index.row()) ? QVariant(markText_) : QVariant();
    default:
        return {};
    }
}

QVariant TableRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (table_ == nullptr || orientation != Qt::Horizontal || role != Qt::DisplayRole ||
        section < 0 || section >= columnCount())
        return {};
    const std::string& title = table_->columns()[static_cast<std::size_t>(section)];
    return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
}

void TableRowsModel::apply(const Change& change) {
    switch (change.kind) {
    case Change::RowsAboutToBeReset:
        beginResetModel();
        break;
    case Change::RowsReset:
        endResetModel();
        break;
    case Change::RowsChanged:
        if (change.count > 0)
            Q_EMIT dataChanged(index(change.first, 0),
                               index(change.first + change.count - 1, columnCount() - 1));
        break;
    default:
        break;
    }
}

void TableRowsModel::forget() {
    beginResetModel();
    table_ = nullptr;
    endResetModel();
}

FileRowsModel::FileRowsModel(FileList& list, QColor highlight, QColor highlightedText,
                             QObject* parent)
    : ListRowsModel(parent), list_(&list), highlight_(highlight),
      highlightedText_(highlightedText) {}

QVariant FileRowsModel::data(const QModelIndex& index, int role) const {
    if (list_ == nullptr || !index.isValid() || index.row() >= list_->count())
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole: {
        // A name that is not UTF-8 still shows, with U+FFFD for its stray bytes.
        const std::string& name = list_->row(row);
        return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case Qt::BackgroundRole:
        return list_->selected(row) ? QVariant(highlight_) : QVariant();
    case Qt::ForegroundRole:
        return list_->selected(row) ? QVariant(highlightedText_) : QVariant();
    default:
        return {};
    }
}

void FileRowsModel::forget() {
    beginResetModel();
    list_ = nullptr;
    endResetModel();
}

FolderEntriesModel::FolderEntriesModel(FolderList& list, QColor highlight, QColor highlightedText,
                                       QObject* parent)
    : ListRowsModel(parent), list_(&list), highlight_(highlight), highlightedText_(highlightedText),
      open_(openFolderPixmap(16, 1)), closed_(closedFolderPixmap(16, 1)) {}

int FolderEntriesModel::entryOf(int row) const {
    return list_ == nullptr ? 0 : row - list_->ancestorCount();
}

QVariant FolderEntriesModel::data(const QModelIndex& index, int role) const {
    if (list_ == nullptr || !index.isValid() || index.row() >= listCount())
        return {};
    const int entry = entryOf(index.row());
    const bool ancestor = entry < 0;
    const bool highlighted = entry == list_->highlighted();
    switch (role) {
    case Qt::DisplayRole: {
        std::string text;
        if (!ancestor)
            text = list_->subfolders()[static_cast<std::size_t>(entry)];
        else if (index.row() == 0)
            text = list_->driveRoot();
        else
            text = lastComponent(list_->entry(entry).value_or(""));
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    }
    case Qt::DecorationRole:
        return ancestor ? open_ : closed_;
    case depthRole:
        return ancestor ? index.row() : list_->ancestorCount();
    case Qt::BackgroundRole:
        return highlighted ? QVariant(highlight_) : QVariant();
    case Qt::ForegroundRole:
        return highlighted ? QVariant(highlightedText_) : QVariant();
    default:
        return {};
    }
}

void FolderEntriesModel::forget() {
    beginResetModel();
    list_ = nullptr;
    endResetModel();
}

bool WholeNameTips::fits(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return sizeHint(option, index).width() <= option.rect.width();
}

bool WholeNameTips::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                              const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (fits(option, index)) {
        QToolTip::hideText();
        return true;
    }
    QToolTip::showText(event->globalPos(), index.data(Qt::DisplayRole).toString(), view,
                       view->visualRect(index));
    return true;
}

void FolderEntryDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem indented(option);
    indented.rect.adjust(indent_ * index.data(FolderEntriesModel::depthRole).toInt(), 0, 0, 0);
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize FolderEntryDelegate::sizeHint(const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    const QSize size = QStyledItemDelegate::sizeHint(option, index);
    return {size.width() + indent_ * index.data(FolderEntriesModel::depthRole).toInt(),
            size.height()};
}

} // namespace quorvel
