// The binders of the controls that take the user's input: boxes, options and buttons.

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

} // namespace quorvel
