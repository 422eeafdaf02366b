#include "platform/qtservices/QtToolkit.h"

#include <QApplication>
#include <QGridLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QThread>
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
int titleWidth(const QWidget& box) {
    const QFont titleFont = QApplication::font("QMdiSubWindowTitleBar");
    return QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 120;
}

// Boxes size themselves from their layouts when shown, so the floor goes into the layout.
void keepWidth(QDialog& box, int width) {
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (grid != nullptr) {
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                      grid->rowCount(), 0, 1, grid->columnCount());
        return;
    }
    if (box.layout() != nullptr)
        box.layout()->addItem(
            new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
}

// French whatever the locale: the buttons are named here, not by Qt's translations, which a
// machine may not have installed.
void frenchButtons(QMessageBox& box, Buttons buttons) {
    if (buttons != Buttons::Ok) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Oui"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Non"));
        box.setDefaultButton(buttons == Buttons::YesNo ? QMessageBox::Yes : QMessageBox::No);
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
    // A box asked from the batch thread comes up on the window's, which it waits for.
    if (!onEventThread()) {
        Reply reply = Reply::No;
        batch_.call([&] { reply = message(text, icon, buttons, title); });
        return reply;
    }
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
    keepWidth(box, titleWidth(box));
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
    keepWidth(dialog, std::max({380, std::min(name, room), titleWidth(dialog)}));
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

void QtToolkit::runBatch(std::function<void()> work, std::function<void()> done) {
    batch_.run(std::move(work), std::move(done));
}

void QtToolkit::onWindow(const std::function<void()>& task) {
    if (onEventThread())
        task();
    else
        batch_.call(task);
}

void QtToolkit::postToWindow(std::function<void()> task) {
    batch_.post(std::move(task));
}

void QtToolkit::awaitWindow(const std::function<bool()>& answered) {
    batch_.await(answered);
}

bool QtToolkit::onEventThread() {
    return QThread::currentThread() == QCoreApplication::instance()->thread();
}

QWidget* QtToolkit::dialogParent() const {
    if (QWidget* active = QApplication::activeWindow())
        return active;
    return mainWindow_.data();
}

} // namespace quorvel
