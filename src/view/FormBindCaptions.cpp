// The binders of the controls that show something: frames, labels and pictures.

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

FormWindow::Refresh FormWindow::bindFrame(Control& control, QWidget*& widget, QWidget* parent) {
    auto* frame = new ClickFrame(parent);
    // Opaque, so that a panel shown over another hides it.
    frame->setAutoFillBackground(true);
    frame->setStyle(frameStyle_);
    frame->onPress = guarded([&control] { control.click(); });
    widget = frame;
    return [frame, &control](Change) { frame->setTitle(qs(control.caption())); };
}

FormWindow::Refresh FormWindow::bindLabel(Control& control, QWidget*& widget, QWidget* parent) {
    auto* label = new ClickLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->onPress = guarded([&control] { control.click(); });
    widget = label;
    return [this, label, &control](Change) {
        const QString text = qs(control.caption());
        // Heard whole even when shown elided; an empty label says nothing, where Qt would
        // lend it the caption of its frame.
        label->setAccessibleName(text.isEmpty() ? QStringLiteral(" ") : text);
        const auto own = fonts_.find(&control);
        const QFont font = own != fonts_.end() ? own->second : label->parentWidget()->font();
        label->setFont(font);
        const QFontMetrics metrics(font);
        const bool oneLine = label->height() < 2 * metrics.lineSpacing();
        label->setWordWrap(!oneLine);
        if (!oneLine) {
            label->setText(text);
            return;
        }
        // Our font may be wider than the one the window was laid out for: a one-line caption
        // takes the free room on its right, in the same font as its neighbours, and a name
        // still too long loses its middle, never half a letter.
        const int natural = metrics.horizontalAdvance(text) + 2;
        if (natural > label->width())
            label->resize(std::min(natural, freeWidth(label)), label->height());
        const bool whole = natural <= label->width();
        label->setText(whole ? text
                             : metrics.elidedText(text, Qt::ElideMiddle, label->width() - 2));
        if (control.tooltip().empty())
            label->setToolTip(whole ? QString() : text);
    };
}

FormWindow::Refresh FormWindow::bindImage(Control& control, QWidget*& widget, QWidget* parent) {
    auto& image = static_cast<Image&>(control);
    auto* view = new PictureView(parent);
    describePicture(*view);
    view->onPress = guarded([&control] { control.click(); });
    widget = view;
    const bool inStrip = parent != client_;
    return [view, &image, inStrip](Change) {
        view->setPicture(qs(image.picture()), image.decoded());
        const bool shows = !image.picture().empty();
        // The pictures of a strip open from the keyboard too, once they show something.
        if (inStrip)
            view->setFocusPolicy(shows ? Qt::StrongFocus : Qt::NoFocus);
        // Unnamed, a picture would take the caption of the frame it lies in.
        if (image.accessibleName().empty())
            view->setAccessibleName(shows ? qs(lastComponent(image.picture()))
                                          : QStringLiteral("Vignette vide"));
    };
}

} // namespace quorvel
