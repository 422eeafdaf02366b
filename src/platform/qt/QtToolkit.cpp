#include "platform/qt/QtToolkit.h"

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

QtToolkit::~QtToolkit() = default;

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
    if (mainWindow_ != nullptr && progress_)
        progress_(qs(text));
}

void QtToolkit::setMainWindow(QWidget* window, std::function<void(const QString&)> showProgress) {
    mainWindow_ = window;
    progress_ = std::move(showProgress);
}

void QtToolkit::runInBackground(std::function<void()> work, std::function<void()> done) {
    background_.run(std::move(work), std::move(done));
}

QWidget* QtToolkit::dialogParent() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainWindow_.data();
}

} // namespace quorvel
