#include "view/FormWindow.h"

#include "platform/qtservices/Icons.h"
#include "text/Paths.h"
#include "view/Accessibility.h"
#include "view/ControlViews.h"
#include "view/FileListInput.h"
#include "view/FormBinding.h"
#include "view/StretchLayout.h"

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

// One binder per kind makes the kind's widget and returns what mirrors the control in it. Menus
// and their items are drawn in the menu bar, not as widgets of the client area.
const std::map<ControlKind, FormWindow::Binder>& FormWindow::binders() {
    static const std::map<ControlKind, Binder> table{
        {ControlKind::Form, &FormWindow::bindFrame},
        {ControlKind::Frame, &FormWindow::bindFrame},
        {ControlKind::Label, &FormWindow::bindLabel},
        {ControlKind::Image, &FormWindow::bindImage},
        {ControlKind::TextBox, &FormWindow::bindTextBox},
        {ControlKind::ComboBox, &FormWindow::bindComboBox},
        {ControlKind::OptionButton, &FormWindow::bindOptionButton},
        {ControlKind::CheckBox, &FormWindow::bindCheckBox},
        {ControlKind::CommandButton, &FormWindow::bindCommandButton},
        {ControlKind::PictureButton, &FormWindow::bindPictureButton},
        {ControlKind::DriveList, &FormWindow::bindDriveList},
        {ControlKind::FolderList, &FormWindow::bindFolderList},
        {ControlKind::FileList, &FormWindow::bindFileList},
        {ControlKind::Table, &FormWindow::bindTable},
    };
    return table;
}

QWidget* FormWindow::build(Control& control) {
    const auto it = widgets_.find(&control);
    if (it != widgets_.end())
        return it->second;
    QWidget* parent = parentFor(control);
    QWidget* widget = nullptr;
    const Binder bind = binders().at(control.kind());
    const Refresh mirrorKind = (this->*bind)(control, widget, parent);
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

} // namespace quorvel
