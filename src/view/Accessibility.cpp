#include "view/Accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace quorvel {

namespace {

class WindowAccessible : public QAccessibleWidget {
public:
    WindowAccessible(QWidget& window, bool (*isDialog)(const QWidget&))
        : QAccessibleWidget(&window, QAccessible::Window), isDialog_(isDialog) {}
    QAccessible::Role role() const override {
        return isDialog_(*widget()) ? QAccessible::Dialog : QAccessible::Window;
    }

private:
    bool (*isDialog_)(const QWidget&);
};

class LabelledCombo : public QAccessibleWidget {
public:
    explicit LabelledCombo(QComboBox& combo) : QAccessibleWidget(&combo, QAccessible::ComboBox) {}
    QString text(QAccessible::Text kind) const override {
        const auto* combo = static_cast<const QComboBox*>(widget());
        if (kind == QAccessible::Value)
            return combo->isEditable() ? combo->lineEdit()->text() : combo->currentText();
        if (kind == QAccessible::Name && !combo->accessibleName().isEmpty())
            return combo->accessibleName();
        return QAccessibleWidget::text(kind);
    }
};

} // namespace

void describeWindow(QWidget& window, bool (*isDialog)(const QWidget&)) {
    QAccessible::registerAccessibleInterface(new WindowAccessible(window, isDialog));
}

void nameByLabel(QComboBox& combo) {
    QAccessible::registerAccessibleInterface(new LabelledCombo(combo));
}

void describePicture(QWidget& picture) {
    QAccessible::registerAccessibleInterface(new QAccessibleWidget(&picture, QAccessible::Graphic));
}

} // namespace quorvel
