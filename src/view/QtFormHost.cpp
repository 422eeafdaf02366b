#include "view/QtFormHost.h"

#include "platform/qtservices/QtToolkit.h"
#include "view/FirstPaint.h"
#include "view/FormWindow.h"

#include <utility>

namespace quorvel {

namespace {

// A window of the program opens over the middle of the main window, where the user looks;
// one larger than the main window (the viewer) would hide all of it, and is left to the desktop.
void centreOn(QWidget& window, const QWidget& main) {
    if (window.width() > main.width() || window.height() > main.height())
        return;
    QRect place = window.frameGeometry();
    place.moveCenter(main.frameGeometry().center());
    window.move(place.topLeft());
}

} // namespace

void QtFormHost::afterFirstPaint(const Form& form, std::function<void()> then) {
    if (FormWindow* window = windowOf(form))
        quorvel::afterFirstPaint(*window, std::move(then));
}

QtFormHost::~QtFormHost() {
    closeAll();
}

void QtFormHost::showForm(Form& form) {
    FormWindow* window = windowOf(form);
    if (window == nullptr) {
        window = new FormWindow(form);
        windows_[&form] = window;
        if (mainForm_ == nullptr) {
            mainForm_ = &form;
            window->addStatusArea();
            QPointer<FormWindow> main = window;
            toolkit_.setMainWindow(window, [main](const QString& text) {
                if (main != nullptr)
                    main->showProgress(text);
            });
        } else {
            window->setClosesOnEscape(true);
            window->setDialog(true);
        }
        if (onWindowCreated)
            onWindowCreated(form, *window);
        if (FormWindow* main = mainForm_ == &form ? nullptr : windowOf(*mainForm_))
            centreOn(*window, *main);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void QtFormHost::destroyForm(Form& form) {
    const auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    FormWindow* window = it->second;
    windows_.erase(it);
    if (mainForm_ == &form) {
        mainForm_ = nullptr;
        toolkit_.setMainWindow(nullptr, {});
    }
    if (window == nullptr)
        return;
    // Let go of the form now, as it may go away as soon as this returns; the window
    // itself goes when the event loop next runs, since its own handler may be running.
    window->detach();
    window->close();
    window->deleteLater();
}

FormWindow* QtFormHost::windowOf(const Form& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.data();
}

void QtFormHost::closeAll() {
    const auto windows = std::move(windows_);
    windows_.clear();
    if (mainForm_ != nullptr)
        toolkit_.setMainWindow(nullptr, {});
    mainForm_ = nullptr;
    for (const auto& [form, window] : windows) {
        if (window != nullptr) {
            window->detach();
            window->close();
            delete window.data();
        }
    }
}

} // namespace quorvel
