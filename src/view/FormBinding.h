#pragma once

// What the form window and its binders share: text in both directions, lists filled without
// a flicker, and the keys a list hands to its model.

#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QObject>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>

namespace quorvel {

inline QString qs(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string bytes(const QString& text) {
    return text.toUtf8().toStdString();
}

inline void setItems(QComboBox* combo, const QStringList& items) {
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
inline void showChecked(QRadioButton* radio, bool checked) {
    radio->setAutoExclusive(false);
    radio->setChecked(checked);
    radio->setAutoExclusive(true);
}

// The width a widget may take without running into a visible neighbour on its right or out
// of its parent.
inline int freeWidth(const QWidget* widget) {
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

} // namespace quorvel
