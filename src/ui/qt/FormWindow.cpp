#include "ui/qt/FormWindow.h"

#include "platform/qt/Icons.h"
#include "text/Paths.h"
#include "ui/qt/Accessibility.h"
#include "ui/qt/ControlViews.h"
#include "ui/qt/FileListInput.h"
#include "ui/qt/StretchLayout.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <algorithm>
#include <memory>

namespace quorvel {

namespace {

QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

QColor qcolour(Rgb rgb) {
    return QColor::fromRgb(int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF));
}

// Where a kind takes its back colour: the input area of editable and list controls, the
// whole surface of the others.
QPalette::ColorRole backRole(ControlKind kind) {
    switch (kind) {
    case ControlKind::TextBox:
    case ControlKind::ComboBox:
    case ControlKind::DriveList:
    case ControlKind::FolderList:
    case ControlKind::FileList:
    case ControlKind::Table:
        return QPalette::Base;
    case ControlKind::CommandButton:
    case ControlKind::PictureButton:
        return QPalette::Button;
    default:
        return QPalette::Window;
    }
}

void setItems(QComboBox* combo, const QStringList& items) {
    bool same = combo->count() == items.size();
    for (int i = 0; same && i < items.size(); ++i)
        same = combo->itemText(i) == items[i];
    if (same)
        return;
    const QSignalBlocker blocker(combo);
    combo->clear();
    combo->addItems(items);
}

// Exclusivity is the model's, within each container; the view only shows it. The button
// stays auto-exclusive, which is what makes it a radio button to assistive technology, but
// that would refuse to clear the last ticked one of a group.
void showChecked(QRadioButton* radio, bool checked) {
    radio->setAutoExclusive(false);
    radio->setChecked(checked);
    radio->setAutoExclusive(true);
}

// The window was laid out for a small system font, about five pixels a letter at 96 dpi: a
// desktop font wider than that takes a sans serif with the layout's widths where there is one,
// so that every caption fits in one and the same font.
QFont layoutFont(QFont font, double scale) {
    font.setPointSizeF(8);
    const QString sample = QStringLiteral("Index de départ");
    if (QFontMetricsF(font).horizontalAdvance(sample) <= 74 * scale)
        return font;
    const QString own = font.family();
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arimo"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica"), own});
    return font;
}

// The width a widget may take without running into a visible neighbour on its right or out
// of its parent.
int freeWidth(const QWidget* widget) {
    const QRect own = widget->geometry();
    int right = widget->parentWidget()->width() - 2;
    for (const QObject* child : widget->parentWidget()->children()) {
        const auto* other = qobject_cast<const QWidget*>(child);
        // Before the window first shows, only a control hidden on purpose counts as hidden.
        if (other == nullptr || other == widget ||
            (other->isHidden() && other->testAttribute(Qt::WA_WState_ExplicitShowHide)))
            continue;
        const QRect g = other->geometry();
        if (g.left() >= own.left() + 1 && g.top() < own.bottom() && g.bottom() > own.top())
            right = std::min(right, g.left() - 2);
    }
    return std::max(own.width(), right - own.left());
}

// Keys that a list's view hands to the model instead of handling them itself.
class ListKeys : public QObject {
public:
    ListKeys(QObject* parent, std::function<bool(int key)> onKey)
        : QObject(parent), onKey_(std::move(onKey)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        const auto* key = static_cast<QKeyEvent*>(event);
        // The keypad's Enter is Enter.
        return (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier && onKey_(key->key());
    }

private:
    std::function<bool(int key)> onKey_;
};

} // namespace

FormWindow::FormWindow(Form& form)
    : form_(&form), scale_(logicalDpiX() / 96.0), frameStyle_(new FrameStyle(pixels(120))),
      client_(new QWidget(this)) {
    frameStyle_->setParent(this);
    describeWindow(*this, [](const QWidget& window) {
        return static_cast<const FormWindow&>(window).isDialog();
    });
    setFont(layoutFont(font(), scale_));

    client_->setObjectName("client");
    for (const auto& control : form.controls()) {
        if (control->kind() != ControlKind::Menu && control->kind() != ControlKind::MenuItem)
            build(*control);
    }
    buildMenuBar();
    takePaneDrops();
    orderTabs();
    nameBoxes();
    fitCaptions();

    const auto mirrorForm = [this](Change) {
        setWindowTitle(qs(form_->caption()));
        layOut();
        mirrorCommon(*form_, nullptr);
    };
    mirrorForm(Change::All);
    subscriptions_.emplace_back(&form, form.subscribe(mirrorForm));
}

// The window grows by the menu bar and the status line; the client area keeps the form's size.
void FormWindow::layOut() {
    const int bar = menuBar_ == nullptr ? 0 : menuBar_->sizeHint().height();
    const int status = progress_ == nullptr ? 0 : progress_->sizeHint().height();
    const int w = pixels(form_->geometry().width);
    const int h = pixels(form_->geometry().height);
    if (resizable_) {
        setMinimumSize(w, bar + h + status);
        layOutClient();
        return;
    }
    setFixedSize(w, bar + h + status);
    client_->setGeometry(0, bar, w, h);
    if (menuBar_ != nullptr)
        menuBar_->setGeometry(0, 0, w, bar);
    if (progress_ != nullptr)
        progress_->setGeometry(0, bar + h, w, status);
}

// Labels measure their room against neighbours made after them; frame captions against the
// controls placed just under them.
void FormWindow::fitCaptions() {
    for (const auto& [control, widget] : widgets_) {
        if (control->kind() == ControlKind::Label)
            mirrors_[control](Change::All);
        auto* frame = qobject_cast<QGroupBox*>(widget);
        if (frame == nullptr || control->caption().empty())
            continue;
        // A control that starts inside the caption's height would be written over: the
        // caption takes a smaller letter, never a moved control.
        int room = frame->height();
        for (const QObject* child : frame->children()) {
            if (const auto* inside = qobject_cast<const QWidget*>(child))
                room = std::min(room, inside->y());
        }
        QFont caption = frame->font();
        for (int size = QFontInfo(caption).pixelSize() - 1;
             size >= 7 && QFontMetrics(caption).height() > room + 2; --size)
            caption.setPixelSize(size);
        if (caption != frame->font())
            frame->setProperty(FrameStyle::captionFontProperty, caption);
    }
}

void FormWindow::addStatusArea() {
    if (progress_ != nullptr || form_ == nullptr)
        return;
    progress_ = new QLabel(this);
    progress_->setObjectName("progress");
    progress_->setTextFormat(Qt::PlainText);
    progress_->setFrameShape(QFrame::StyledPanel);
    progress_->setFrameShadow(QFrame::Sunken);
    progress_->setIndent(4);
    progress_->setAccessibleName(QStringLiteral("Progression"));
    layOut();
}

// Pane by pane as they stand from left to right, then top to bottom within each: the order
// in which the controls were made follows the model, not the window.
void FormWindow::orderTabs() {
    std::vector<QWidget*> chain;
    std::function<void(QWidget*)> walk = [&](QWidget* parent) {
        std::vector<QWidget*> children;
        for (QObject* child : parent->children()) {
            auto* widget = qobject_cast<QWidget*>(child);
            if (widget != nullptr)
                children.push_back(widget);
        }
        const bool panes = parent == client_;
        std::stable_sort(children.begin(), children.end(), [panes](QWidget* a, QWidget* b) {
            const QPoint p = a->pos();
            const QPoint q = b->pos();
            return panes ? std::pair(p.x(), p.y()) < std::pair(q.x(), q.y())
                         : std::pair(p.y(), p.x()) < std::pair(q.y(), q.x());
        });
        for (QWidget* child : children) {
            // A picture of the strip takes the focus once it shows something.
            if ((child->focusPolicy() & Qt::TabFocus) || dynamic_cast<PictureView*>(child))
                chain.push_back(child);
            if (qobject_cast<QGroupBox*>(child) != nullptr)
                walk(child);
        }
    };
    walk(client_);
    for (std::size_t i = 1; i < chain.size(); ++i)
        setTabOrder(chain[i - 1], chain[i]);
}

void FormWindow::buildMenuBar() {
    for (const auto& control : form_->controls()) {
        if (control->kind() != ControlKind::Menu)
            continue;
        if (menuBar_ == nullptr) {
            menuBar_ = new QMenuBar(this);
            // In the window, where its height is known, not in a desktop's global bar.
            menuBar_->setNativeMenuBar(false);
        }
        bindMenu(static_cast<Menu&>(*control));
    }
}

void FormWindow::bindMenu(Menu& menu) {
    QMenu* shown = menuBar_->addMenu(QString());
    shown->setObjectName(qs(menu.name()));
    bool hasItem = false;
    for (Control* child : menu.children()) {
        if (child->kind() == ControlKind::MenuItem) {
            bindMenuItem(static_cast<MenuItem&>(*child), shown);
            hasItem = true;
        }
    }
    // A menu that would open on nothing stays out of the bar.
    watch(menu, [shown, &menu, hasItem](Change) {
        shown->setTitle(qs(menu.caption()));
        shown->menuAction()->setVisible(menu.visible() && hasItem);
    });
}

void FormWindow::bindMenuItem(MenuItem& item, QMenu* menu) {
    QAction* action = menu->addAction(QString());
    action->setObjectName(qs(item.name()));
    if (!item.shortcut().empty()) {
        action->setShortcut(QKeySequence(qs(item.shortcut()), QKeySequence::PortableText));
        action->setShortcutContext(Qt::WindowShortcut);
        // Also on the window itself, so that the key works while no menu is open.
        addAction(action);
    }
    const Refresh mirror = [action, &item](Change) {
        action->setText(qs(item.caption()));
        action->setEnabled(item.enabled() && !item.inert());
        action->setCheckable(item.checkable());
        action->setChecked(item.checked());
    };
    // Qt turns a checkable action's tick over by itself; the model's tick is the one shown.
    connect(action, &QAction::triggered, action, [this, &item, mirror] {
        item.click();
        if (form_ != nullptr)
            mirror(Change::All);
    });
    watch(item, mirror);
}

void FormWindow::watch(Control& control, const Refresh& mirror) {
    mirrors_[&control] = mirror;
    mirror(Change::All);
    subscriptions_.emplace_back(&control, control.subscribe(mirror));
}

FormWindow::~FormWindow() {
    detach();
}

int FormWindow::pixels(int twips) const {
    return qRound(twips * scale_ / 15.0);
}

QWidget* FormWindow::widgetOf(const std::string& name) const {
    if (form_ == nullptr)
        return nullptr;
    const Control* control = form_->find(name);
    const auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second;
}

void FormWindow::setControlCursor(const std::string& name, const QCursor& cursor) {
    if (QWidget* widget = widgetOf(name))
        widget->setCursor(cursor);
}

void FormWindow::setControlFont(const std::string& name, const QFont& font) {
    QWidget* widget = widgetOf(name);
    if (widget == nullptr)
        return;
    const Control* control = form_->find(name);
    fonts_[control] = font;
    widget->setFont(font);
    mirrors_[control](Change::All);
}

void FormWindow::showProgress(const QString& text) {
    addStatusArea();
    if (progress_ == nullptr)
        return;
    progress_->setText(progress_->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                                           progress_->contentsRect().width() - 8));
    progress_->setToolTip(text);
    // Painted now, not when the long run is over; no input is taken meanwhile.
    progress_->repaint();
}

void FormWindow::detach() {
    for (const auto& [control, id] : subscriptions_)
        control->unsubscribe(id);
    subscriptions_.clear();
    mirrors_.clear();
    for (const auto& release : releases_)
        release();
    releases_.clear();
    form_ = nullptr;
}

void FormWindow::closeEvent(QCloseEvent* event) {
    if (form_ == nullptr || !form_->onClose) {
        event->accept();
        return;
    }
    // The model decides: when it lets the form go, destroyForm detaches this window.
    const auto onClose = form_->onClose;
    onClose();
    if (form_ == nullptr)
        event->accept();
    else
        event->ignore();
}

void FormWindow::keyPressEvent(QKeyEvent* event) {
    if (closesOnEscape_ && event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    if (takenByForm(*event))
        return;
    QWidget::keyPressEvent(event);
}

void FormWindow::mousePressEvent(QMouseEvent* event) {
    // A press on the window's own surface, outside every control, is the form's click.
    if (form_ != nullptr && event->button() == Qt::LeftButton)
        form_->click();
    event->accept();
}

void FormWindow::makeResizable() {
    resizable_ = true;
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(size());
}

void FormWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layOutClient();
}

void FormWindow::layOutClient() {
    const int bar = menuBar_ == nullptr ? 0 : menuBar_->sizeHint().height();
    const int status = progress_ == nullptr ? 0 : progress_->sizeHint().height();
    client_->setGeometry(0, bar, width(), height() - bar - status);
    if (menuBar_ != nullptr)
        menuBar_->setGeometry(0, 0, width(), bar);
    if (progress_ != nullptr)
        progress_->setGeometry(0, height() - status, width(), status);
    if (!resizable_ || form_ == nullptr)
        return;
    if (stretches_) {
        const auto places = stretchedPlaces();
        for (const auto& [control, widget] : widgets_) {
            const auto at = places.find(control);
            if (at != places.end())
                widget->setGeometry(at->second);
        }
        // A label measures its caption against its new room.
        for (const auto& [control, widget] : widgets_) {
            if (control->kind() == ControlKind::Label)
                mirrors_.at(control)(Change::All);
        }
        return;
    }
    for (const auto& [control, widget] : widgets_)
        widget->setGeometry(placed(*control));
}

bool FormWindow::takenByForm(const QKeyEvent& event) {
    if (form_ == nullptr || !form_->onKey ||
        (event.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    const QString name = QKeySequence(event.key()).toString(QKeySequence::PortableText);
    return !name.isEmpty() && form_->onKey(bytes(name));
}

void FormWindow::takePaneDrops() {
    // Files are taken by the pane the run reads them from: the form's first file list.
    const Control* sourceFiles = nullptr;
    for (const auto& control : form_->controls()) {
        if (sourceFiles == nullptr && control->kind() == ControlKind::FileList)
            sourceFiles = control.get();
    }
    for (const auto& [control, widget] : widgets_) {
        if (control->kind() != ControlKind::Frame)
            continue;
        FolderList* folders = nullptr;
        FileList* files = nullptr;
        for (Control* child : control->children()) {
            if (child->kind() == ControlKind::FolderList)
                folders = static_cast<FolderList*>(child);
            if (child->kind() == ControlKind::FileList)
                files = static_cast<FileList*>(child);
        }
        if (folders != nullptr)
            takeDrops(*widget, *folders, files == sourceFiles ? files : nullptr,
                      [this] { return form_ != nullptr; });
    }
}

void FormWindow::makeStretchable() {
    stretches_ = true;
    makeResizable();
}

std::map<const Control*, QRect> FormWindow::stretchedPlaces() const {
    const QSize extra(client_->width() - pixels(form_->geometry().width),
                      client_->height() - pixels(form_->geometry().height));
    return StretchLayout::place(
        *form_,
        [this](const Control& control) {
            const Geometry& g = control.geometry();
            return QRect(pixels(g.left), pixels(g.top), pixels(g.width), pixels(g.height));
        },
        extra);
}

QRect FormWindow::placed(const Control& control) const {
    const Geometry& g = control.geometry();
    QRect place(pixels(g.left), pixels(g.top), pixels(g.width), pixels(g.height));
    if (stretches_ && form_ != nullptr) {
        const auto places = stretchedPlaces();
        const auto at = places.find(&control);
        return at == places.end() ? place : at->second;
    }
    if (!resizable_ || form_ == nullptr || control.container() != form_)
        return place;
    const int wider = std::max(0, client_->width() - pixels(form_->geometry().width));
    const int taller = std::max(0, client_->height() - pixels(form_->geometry().height));
    place.setWidth(place.width() + wider);
    if (control.kind() == ControlKind::Table)
        place.setHeight(place.height() + taller);
    else
        place.translate(0, taller);
    return place;
}

std::function<void()> FormWindow::guarded(std::function<void()> input) {
    return [this, input = std::move(input)] {
        if (form_ != nullptr)
            input();
    };
}

void FormWindow::panelShown(QWidget* panel, bool shown, bool hadFocus) {
    if (!isVisible())
        return;
    if (shown) {
        auto* button = panel->findChild<QPushButton*>();
        if (button == nullptr)
            return;
        QWidget* focused = QApplication::focusWidget();
        focusBeforePanel_ = focused != nullptr && isAncestorOf(focused) ? focused : nullptr;
        button->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (hadFocus && focusBeforePanel_ != nullptr && focusBeforePanel_->isVisible() &&
        focusBeforePanel_->isEnabled())
        focusBeforePanel_->setFocus(Qt::OtherFocusReason);
    focusBeforePanel_ = nullptr;
}

const Control* FormWindow::labelAbove(const Control& box) const {
    const Control* named = nullptr;
    if (box.container() == nullptr)
        return named;
    int top = box.geometry().top;
    // Climbs the stack of labels over the box's left edge, each touching the one below.
    for (bool found = true; found;) {
        found = false;
        for (const Control* sibling : box.container()->children()) {
            const Geometry& g = sibling->geometry();
            const int gap = top - (g.top + g.height);
            if (sibling->kind() == ControlKind::Label && gap >= 0 && gap <= 60 &&
                g.left <= box.geometry().left && g.left + g.width > box.geometry().left) {
                named = sibling;
                top = g.top;
                found = true;
            }
        }
    }
    return named;
}

// A box is named by the label above it; a status box under a list by what it counts.
void FormWindow::nameBoxes() {
    for (const auto& [control, widget] : widgets_) {
        if (control->kind() != ControlKind::TextBox && control->kind() != ControlKind::ComboBox)
            continue;
        if (!control->accessibleName().empty()) {
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                combo->lineEdit()->setAccessibleName(qs(control->accessibleName()));
            continue;
        }
        if (const Control* label = labelAbove(*control)) {
            widget->setAccessibleName(qs(label->caption()));
            // AT-SPI names a combo box by its text and tells its label through this relation.
            if (auto* caption = qobject_cast<QLabel*>(widgets_.at(label)))
                caption->setBuddy(widget);
            if (auto* combo = qobject_cast<QComboBox*>(widget))
                combo->lineEdit()->setAccessibleName(qs(label->caption()));
            continue;
        }
        QString name = qs(control->tooltip());
        const bool status = control->kind() == ControlKind::TextBox &&
                            static_cast<const TextBox*>(control)->readOnly;
        for (const Control* sibling : control->container()->children()) {
            if (name.isEmpty() && status && sibling->kind() == ControlKind::FileList &&
                !sibling->tooltip().empty()) {
                const QString what = qs(sibling->tooltip());
                name = QStringLiteral("Nombre de ") + what.left(1).toLower() + what.mid(1);
            }
        }
        widget->setAccessibleName(name);
    }
}

QWidget* FormWindow::parentFor(const Control& control) {
    Control* container = control.container();
    if (container == nullptr || container->kind() == ControlKind::Form)
        return client_;
    return build(*container);
}

QWidget* FormWindow::build(Control& control) {
    const auto it = widgets_.find(&control);
    if (it != widgets_.end())
        return it->second;
    QWidget* parent = parentFor(control);
    QWidget* widget = nullptr;
    const Refresh mirrorKind = bindKind(control, widget, parent);
    widget->setObjectName(qs(control.name()));
    widgets_[&control] = widget;
    const Refresh mirror = [this, &control, widget, mirrorKind](Change change) {
        if (change == Change::All)
            mirrorCommon(control, widget);
        mirrorKind(change);
    };
    mirrors_[&control] = mirror;
    mirror(Change::All);
    subscriptions_.emplace_back(&control, control.subscribe(mirror));
    return widget;
}

void FormWindow::mirrorCommon(const Control& control, QWidget* widget) {
    QWidget* target = widget == nullptr ? this : widget;
    if (widget != nullptr) {
        widget->setGeometry(placed(control));
        widget->setToolTip(qs(control.tooltip()));
        const bool appears = control.visible() && widget->isHidden();
        const bool goes = !control.visible() && !widget->isHidden();
        // Hiding the focused control sends the focus on along the chain, wherever that leads.
        const bool hadFocus = goes && widget->isAncestorOf(QApplication::focusWidget());
        widget->setVisible(control.visible());
        widget->setEnabled(!control.inert());
        // A panel shown later lies over what it covers, as the problem panel does.
        if (appears)
            widget->raise();
        if (control.kind() == ControlKind::Frame && (appears || goes))
            panelShown(widget, appears, hadFocus);
        // A picture or a list has no caption: its tooltip says what it is.
        if (control.kind() == ControlKind::PictureButton ||
            control.kind() == ControlKind::FileList || control.kind() == ControlKind::FolderList ||
            control.kind() == ControlKind::DriveList)
            widget->setAccessibleName(qs(control.tooltip()));
        if (!control.accessibleName().empty())
            widget->setAccessibleName(qs(control.accessibleName()));
    }
    QPalette palette = QApplication::palette(target);
    if (const auto back = control.backColor()) {
        const QPalette::ColorRole role = backRole(control.kind());
        palette.setColor(role, qcolour(*back));
        if (role == QPalette::Window)
            target->setAutoFillBackground(true);
    }
    if (const auto fore = control.foreColor()) {
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(role, qcolour(*fore));
    }
    target->setPalette(palette);
}

// One binder per kind makes the kind's widget and returns what mirrors the control in it.
FormWindow::Refresh FormWindow::bindKind(Control& control, QWidget*& widget, QWidget* parent) {
    switch (control.kind()) {
    case ControlKind::Form:
    case ControlKind::Frame:
        return bindFrame(control, widget, parent);
    case ControlKind::Label:
        return bindLabel(control, widget, parent);
    case ControlKind::TextBox:
        return bindTextBox(control, widget, parent);
    case ControlKind::ComboBox:
        return bindComboBox(control, widget, parent);
    case ControlKind::OptionButton:
        return bindOptionButton(control, widget, parent);
    case ControlKind::CheckBox:
        return bindCheckBox(control, widget, parent);
    case ControlKind::CommandButton:
        return bindCommandButton(control, widget, parent);
    case ControlKind::PictureButton:
        return bindPictureButton(control, widget, parent);
    case ControlKind::Image:
        return bindImage(control, widget, parent);
    case ControlKind::DriveList:
        return bindDriveList(control, widget, parent);
    case ControlKind::FolderList:
        return bindFolderList(control, widget, parent);
    case ControlKind::FileList:
        return bindFileList(control, widget, parent);
    case ControlKind::Table:
        return bindTable(control, widget, parent);
    case ControlKind::Menu:
    case ControlKind::MenuItem:
        // Drawn in the menu bar, not as widgets of the client area.
        break;
    }
    return {};
}

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

FormWindow::Refresh FormWindow::bindTextBox(Control& control, QWidget*& widget, QWidget* parent) {
    auto& box = static_cast<TextBox&>(control);
    auto* edit = new QLineEdit(parent);
    edit->setTextMargins(1, 0, 1, 0);
    connect(edit, &QLineEdit::textEdited, edit, [this, &box](const QString& text) {
        if (form_ != nullptr)
            box.setText(bytes(text));
    });
    widget = edit;
    return [edit, &box](Change) {
        edit->setReadOnly(box.readOnly);
        // A status line is read, not typed in: a click may still copy from it.
        edit->setFocusPolicy(box.readOnly ? Qt::ClickFocus : Qt::StrongFocus);
        const QString text = qs(box.text());
        if (edit->text() != text)
            edit->setText(text);
    };
}

FormWindow::Refresh FormWindow::bindComboBox(Control& control, QWidget*& widget, QWidget* parent) {
    auto& box = static_cast<ComboBox&>(control);
    auto* combo = new QComboBox(parent);
    nameByLabel(*combo);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Typing stays typing: no completion that would pick an entry for the user.
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::activated, combo, [&box](int index) {
        if (index < 0 || index >= static_cast<int>(box.entries().size()))
            return;
        const std::string entry = box.entries()[static_cast<std::size_t>(index)];
        box.pick(entry);
    });
    connect(combo->lineEdit(), &QLineEdit::textEdited, combo, [this, &box](const QString& text) {
        if (form_ != nullptr)
            box.setText(bytes(text));
    });
    widget = combo;
    return [combo, &box](Change) {
        QStringList items;
        for (const std::string& entry : box.entries())
            items << qs(entry);
        setItems(combo, items);
        const QString text = qs(box.text());
        if (combo->currentText() != text) {
            const QSignalBlocker blocker(combo);
            combo->setEditText(text);
        }
    };
}

FormWindow::Refresh FormWindow::bindOptionButton(Control& control, QWidget*& widget,
                                                 QWidget* parent) {
    auto& option = static_cast<OptionButton&>(control);
    auto* radio = new QRadioButton(parent);
    connect(radio, &QRadioButton::clicked, radio, [this, &option, radio] {
        option.select();
        if (form_ != nullptr)
            showChecked(radio, option.value());
    });
    widget = radio;
    return [radio, &option](Change) {
        radio->setText(qs(option.caption()));
        showChecked(radio, option.value());
    };
}

FormWindow::Refresh FormWindow::bindCheckBox(Control& control, QWidget*& widget, QWidget* parent) {
    auto& check = static_cast<CheckBox&>(control);
    auto* box = new QCheckBox(parent);
    connect(box, &QCheckBox::clicked, box, [this, &check, box] {
        check.click();
        if (form_ != nullptr)
            box->setChecked(check.value());
    });
    widget = box;
    return [box, &check](Change) {
        box->setText(qs(check.caption()));
        box->setChecked(check.value());
    };
}

FormWindow::Refresh FormWindow::bindCommandButton(Control& control, QWidget*& widget,
                                                  QWidget* parent) {
    auto* button = new QPushButton(parent);
    // Enter presses the focused button, as Space does, outside dialogs too.
    button->setAutoDefault(true);
    connect(button, &QPushButton::clicked, button, guarded([&control] { control.click(); }));
    if (static_cast<const CommandButton&>(control).cancel) {
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(escape, &QShortcut::activated, button, [button] {
            if (button->isVisible() && button->isEnabled())
                button->click();
        });
    }
    widget = button;
    return [button, &control](Change) { button->setText(qs(control.caption())); };
}

FormWindow::Refresh FormWindow::bindPictureButton(Control& control, QWidget*& widget,
                                                  QWidget* parent) {
    auto& pictured = static_cast<PictureButton&>(control);
    auto* button = new QToolButton(parent);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(button, &QToolButton::clicked, button, guarded([&control] { control.click(); }));
    widget = button;
    return [button, &pictured](Change) {
        const int side = std::max(8, std::min(button->width(), button->height()) - 3);
        button->setIconSize(QSize(side, side));
        button->setIcon(
            QIcon(buttonPixmap(qs(pictured.icon()), side, button->devicePixelRatioF())));
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
