#include "view/WindowPlacement.h"

#include "platform/SettingsStore.h"
#include "view/FormWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <optional>

namespace quorvel {

namespace {

const char* const section = "Fenetre";

std::optional<int> number(SettingsStore& store, const std::string& application, const char* key) {
    const auto text = store.read(application, section, key);
    if (!text)
        return std::nullopt;
    bool ok = false;
    const int value = QString::fromStdString(*text).toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

void restore(QWidget& window, SettingsStore& store, const std::string& application) {
    const auto width = number(store, application, "Largeur");
    const auto height = number(store, application, "Hauteur");
    if (width && height)
        window.resize(QSize(*width, *height).expandedTo(window.minimumSize()));
    const auto left = number(store, application, "Gauche");
    const auto top = number(store, application, "Haut");
    // The title bar must be on a screen, or the user could not take the window back.
    if (left && top && QGuiApplication::screenAt(QPoint(*left + window.width() / 2, *top + 8)))
        window.move(*left, *top);
    if (number(store, application, "Agrandie").value_or(0) == 1)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
}

void save(const QWidget& window, SettingsStore& store, const std::string& application) {
    const bool maximized = window.isMaximized();
    const QRect normal = maximized && !window.normalGeometry().isEmpty()
                             ? window.normalGeometry()
                             : QRect(window.pos(), window.size());
    const auto write = [&](const char* key, int value) {
        store.write(application, section, key, std::to_string(value));
    };
    write("Gauche", normal.x());
    write("Haut", normal.y());
    write("Largeur", normal.width());
    write("Hauteur", normal.height());
    write("Agrandie", maximized ? 1 : 0);
    // The window's place is a comfort: a store that cannot keep it was already reported
    // with the other settings.
    store.commit();
}

// Writes the place when the window closes, before it goes away.
class PlacementKeeper : public QObject {
public:
    PlacementKeeper(QWidget& window, SettingsStore& store, std::string application)
        : QObject(&window), window_(window), store_(store), application_(std::move(application)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &window_ && event->type() == QEvent::Close && event->isAccepted() &&
            window_.isVisible())
            save(window_, store_, application_);
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    SettingsStore& store_;
    std::string application_;
};

} // namespace

void keepPlacement(FormWindow& window, SettingsStore& store, const std::string& application) {
    restore(window, store, application);
    window.installEventFilter(new PlacementKeeper(window, store, application));
}

} // namespace quorvel
