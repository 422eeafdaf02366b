#include "platform/qt/QtToolkit.h"

#include "platform/qt/FormWindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace quorvel {

namespace {

QString qs(const std::string& text) {
    QString result = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    result.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return result;
}

// The arrow, not the hourglass, over a box that waits for the user.
class ArrowWhileAsking {
public:
    explicit ArrowWhileAsking(bool busy) : busy_(busy) {
        if (busy_)
            QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~ArrowWhileAsking() {
        if (busy_)
            QGuiApplication::restoreOverrideCursor();
    }
    ArrowWhileAsking(const ArrowWhileAsking&) = delete;
    ArrowWhileAsking& operator=(const ArrowWhileAsking&) = delete;

private:
    bool busy_;
};

} // namespace

QtToolkit::QtToolkit() {
    QApplication::setQuitOnLastWindowClosed(true);
    QApplication::setWindowIcon(programIcon());
}

QtToolkit::~QtToolkit() {
    closeAll();
}

Reply QtToolkit::message(const std::string& text, Icon icon, Buttons buttons,
                         const std::string& title) {
    QMessageBox box(dialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(qs(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(qs(text));
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const ArrowWhileAsking arrow(busy_);
    const int pressed = box.exec();
    if (buttons == Buttons::Ok)
        return Reply::Ok;
    return pressed == QMessageBox::Yes ? Reply::Yes : Reply::No;
}

std::string QtToolkit::input(const std::string& prompt, const std::string& title,
                             const std::string& defaultText) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(qs(title));
    dialog.setLabelText(qs(prompt));
    dialog.setTextValue(qs(defaultText));
    dialog.setMinimumWidth(380);
    const ArrowWhileAsking arrow(busy_);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toUtf8().toStdString();
}

void QtToolkit::beep() {
    QApplication::beep();
}

void QtToolkit::setBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void QtToolkit::processEventsUntil(const std::function<bool()>& done) {
    // Sleeps until an event comes: the condition can only change in a handler.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtToolkit::processPendingEvents() {
    QCoreApplication::processEvents();
}

void QtToolkit::showProgress(const std::string& text) {
    if (mainForm_ == nullptr)
        return;
    if (FormWindow* window = windowOf(*mainForm_))
        window->showProgress(qs(text));
}

void QtToolkit::runInBackground(std::function<void()> work, std::function<void()> done) {
    background_.run(std::move(work), std::move(done));
}

void QtToolkit::showForm(Form& form) {
    FormWindow* window = windowOf(form);
    if (window == nullptr) {
        window = new FormWindow(form);
        windows_[&form] = window;
        if (mainForm_ == nullptr)
            mainForm_ = &form;
        if (onWindowCreated)
            onWindowCreated(form, *window);
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void QtToolkit::destroyForm(Form& form) {
    const auto it = windows_.find(&form);
    if (it == windows_.end())
        return;
    FormWindow* window = it->second;
    windows_.erase(it);
    if (mainForm_ == &form)
        mainForm_ = nullptr;
    if (window == nullptr)
        return;
    // Let go of the form now, as it may go away as soon as this returns; the window
    // itself goes when the event loop next runs, since its own handler may be running.
    window->detach();
    window->close();
    window->deleteLater();
}

FormWindow* QtToolkit::windowOf(const Form& form) const {
    const auto it = windows_.find(&form);
    return it == windows_.end() ? nullptr : it->second.data();
}

void QtToolkit::closeAll() {
    const auto windows = std::move(windows_);
    windows_.clear();
    mainForm_ = nullptr;
    for (const auto& [form, window] : windows) {
        if (window != nullptr) {
            window->detach();
            window->close();
            delete window.data();
        }
    }
}

QWidget* QtToolkit::dialogParent() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainForm_ == nullptr ? nullptr : windowOf(*mainForm_);
}

} // namespace quorvel
