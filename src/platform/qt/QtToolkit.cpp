#include "platform/qt/QtToolkit.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

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

// Wide enough that the window manager does not cut the title: its text, the icon and the
// buttons of the title bar.
void fitTitle(QWidget& box) {
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    const int title = QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 120;
    box.setMinimumWidth(std::max(box.minimumWidth(), title));
}

// French whatever the locale: the buttons are named here, not by Qt's translations, which a
// machine may not have installed.
void frenchButtons(QMessageBox& box, Buttons buttons) {
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("Non"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
}

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
    frenchButtons(box, buttons);
    // A message box sets its own size when shown; the layout's floor is what holds.
    box.layout()->setSizeConstraint(QLayout::SetMinimumSize);
    fitTitle(box);
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
    dialog.setOkButtonText(QStringLiteral("OK"));
    dialog.setCancelButtonText(QStringLiteral("Annuler"));
    // The name offered shows whole, up to one of 255 bytes, as far as the screen allows; any
    // box has room for sixty letters.
    const QFontMetrics metrics(dialog.font());
    const int name = std::max(metrics.averageCharWidth() * 60,
                              metrics.horizontalAdvance(dialog.textValue().left(255)) + 40);
    const QScreen* screen = dialog.screen();
    const int room = screen == nullptr ? name : screen->availableGeometry().width() * 9 / 10;
    dialog.setMinimumWidth(std::max(380, std::min(name, room)));
    fitTitle(dialog);
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
    // A run that waits on the user shows no progress meanwhile; it is back when the run goes on.
    const QString shown = progressText_;
    if (!shown.isEmpty())
        showProgress(std::string());
    // Sleeps until an event comes: the condition can only change in a handler.
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (!shown.isEmpty() && progressText_.isEmpty())
        showProgress(shown.toUtf8().toStdString());
}

void QtToolkit::processPendingEvents() {
    QCoreApplication::processEvents();
}

void QtToolkit::showProgress(const std::string& text) {
    progressText_ = qs(text);
    if (mainWindow_ != nullptr && progress_)
        progress_(progressText_);
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
