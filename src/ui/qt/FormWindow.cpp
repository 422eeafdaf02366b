#include "ui/qt/FormWindow.h"

#include "platform/qt/Icons.h"
#include "ui/qt/ControlViews.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
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
    return QColor::fromRgb(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
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

} // namespace

FormWindow::FormWindow(Form& form)
    : form_(&form), scale_(logicalDpiX() / 96.0), frameStyle_(new FrameStyle(pixels(120))),
      client_(new QWidget(this)) {
    frameStyle_->setParent(this);
    // The window was laid out for a small system font; a larger one would not fit.
    QFont small = font();
    small.setPointSizeF(8);
    setFont(small);

    client_->setObjectName("client");
    for (const auto& control : form.controls()) {
        if (control->kind() != ControlKind::Menu && control->kind() != ControlKind::MenuItem)
            build(*control);
    }
    buildMenuBar();

    // The window grows by the menu bar's height; the client area keeps the form's size.
    const auto mirrorForm = [this](Change) {
        setWindowTitle(qs(form_->caption()));
        const int bar = menuBar_ == nullptr ? 0 : menuBar_->sizeHint().height();
        const int w = pixels(form_->geometry().width);
        const int h = pixels(form_->geometry().height);
        if (resizable_)
            setMinimumSize(w, h + bar);
        else
            setFixedSize(w, h + bar);
        layOutClient();
        mirrorCommon(*form_, nullptr);
    };
    mirrorForm(Change::All);
    subscriptions_.emplace_back(&form, form.subscribe(mirrorForm));
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
        action->setEnabled(item.enabled());
        action->setCheckable(item.checkable());
        action->setChecked(item.checked());
    };
    // Qt turns a checkable action's tick over by itself; the model's tick is the one shown.
    connect(action, &QAction::triggered, action, [this, &item, mirror] {
        if (form_ == nullptr)
            return;
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
    if (text.isEmpty()) {
        if (progress_ != nullptr)
            progress_->hide();
    } else {
        if (progress_ == nullptr) {
            progress_ = new QLabel(this);
            progress_->setObjectName("progress");
            progress_->setAlignment(Qt::AlignCenter);
            progress_->setWordWrap(true);
            progress_->setFrameShape(QFrame::Box);
            progress_->setAutoFillBackground(true);
            QPalette palette = progress_->palette();
            palette.setColor(QPalette::Window, QColor(255, 250, 205));
            palette.setColor(QPalette::WindowText, Qt::black);
            progress_->setPalette(palette);
        }
        progress_->setText(text);
        const int w = width() / 2;
        const int h = progress_->fontMetrics().height() * 2 + 8;
        progress_->setGeometry((width() - w) / 2, height() - h - 4, w, h);
        progress_->show();
        progress_->raise();
    }
    // Painted now, not when the long run is over; no input is taken meanwhile.
    repaint();
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
    client_->setGeometry(0, bar, width(), height() - bar);
    if (menuBar_ != nullptr)
        menuBar_->setGeometry(0, 0, width(), bar);
    if (!resizable_ || form_ == nullptr)
        return;
    for (const auto& [control, widget] : widgets_)
        widget->setGeometry(placed(*control));
}

QRect FormWindow::placed(const Control& control) const {
    const Geometry& g = control.geometry();
    QRect place(pixels(g.left), pixels(g.top), pixels(g.width), pixels(g.height));
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
        widget->setVisible(control.visible());
        // A panel shown later lies over what it covers, as the problem panel does.
        if (appears)
            widget->raise();
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
        label->setText(text);
        // A one-line label keeps its whole caption where our font is wider than the one
        // the window was laid out for: narrower letters first, then past its width.
        const auto own = fonts_.find(&control);
        QFont font = own != fonts_.end() ? own->second : label->parentWidget()->font();
        const bool oneLine = label->height() < 2 * QFontMetrics(font).lineSpacing();
        label->setWordWrap(!oneLine);
        int natural = QFontMetrics(font).horizontalAdvance(text) + 2;
        for (const int stretch : {90, 80}) {
            if (!oneLine || natural <= label->width())
                break;
            font.setStretch(stretch);
            natural = QFontMetrics(font).horizontalAdvance(text) + 2;
        }
        label->setFont(font);
        if (oneLine && natural > label->width())
            label->resize(natural, label->height());
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
        const QString text = qs(box.text());
        if (edit->text() != text)
            edit->setText(text);
    };
}

FormWindow::Refresh FormWindow::bindComboBox(Control& control, QWidget*& widget, QWidget* parent) {
    auto& box = static_cast<ComboBox&>(control);
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    // Typing stays typing: no completion that would pick an entry for the user.
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::activated, combo, [this, &box](int index) {
        if (form_ == nullptr || index < 0 || index >= static_cast<int>(box.entries().size()))
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
    // Exclusivity is the model's, within each container; the view only shows it.
    radio->setAutoExclusive(false);
    connect(radio, &QRadioButton::clicked, radio, [this, &option, radio] {
        if (form_ == nullptr)
            return;
        option.select();
        if (form_ != nullptr)
            radio->setChecked(option.value());
    });
    widget = radio;
    return [radio, &option](Change) {
        radio->setText(qs(option.caption()));
        radio->setChecked(option.value());
    };
}

FormWindow::Refresh FormWindow::bindCheckBox(Control& control, QWidget*& widget, QWidget* parent) {
    auto& check = static_cast<CheckBox&>(control);
    auto* box = new QCheckBox(parent);
    connect(box, &QCheckBox::clicked, box, [this, &check, box] {
        if (form_ == nullptr)
            return;
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
    connect(button, &QPushButton::clicked, button, guarded([&control] { control.click(); }));
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
    view->onPress = guarded([&control] { control.click(); });
    widget = view;
    return [view, &image](Change) { view->setPicture(qs(image.picture()), image.decoded()); };
}

FormWindow::Refresh FormWindow::bindDriveList(Control& control, QWidget*& widget, QWidget* parent) {
    auto& drives = static_cast<DriveList&>(control);
    auto* combo = new QComboBox(parent);
    // The roots as the model gave them, so that a pick maps back to its own bytes.
    auto roots = std::make_shared<std::vector<std::string>>();
    const Refresh mirror = [combo, &drives, roots](Change) {
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
        if (form_ == nullptr || index < 0 || index >= static_cast<int>(roots->size()))
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
    connect(view, &QListView::clicked, view, [this, &folders, model](const QModelIndex& at) {
        if (form_ != nullptr)
            folders.highlight(model->entryOf(at.row()));
    });
    connect(view, &QListView::doubleClicked, view, [this, &folders, model](const QModelIndex& at) {
        if (form_ == nullptr)
            return;
        if (const auto path = folders.entry(model->entryOf(at.row())))
            folders.setPath(*path);
    });
    releases_.push_back([model] { model->forget(); });
    widget = view;
    return [model](Change change) { model->apply(change); };
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
    connect(view, &QListView::clicked, view, [this, &files](const QModelIndex& at) {
        if (form_ != nullptr)
            files.toggle(at.row());
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
