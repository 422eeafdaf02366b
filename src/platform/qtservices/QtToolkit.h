#pragma once

#include "platform/Toolkit.h"
#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/BatchThread.h"
#include "platform/qtservices/Icons.h"

#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

namespace quorvel {

// The toolkit of the real desktop: Qt boxes, the busy pointer and the event loop. The view
// names the main window, over which boxes come up and where long runs show progress.
class QtToolkit : public Toolkit {
public:
    // Needs the QApplication; the program ends when its last window closes.
    QtToolkit();
    ~QtToolkit() override;
    QtToolkit(const QtToolkit&) = delete;
    QtToolkit& operator=(const QtToolkit&) = delete;

    Reply message(const std::string& text, Icon icon, Buttons buttons,
                  const std::string& title) override;
    std::string input(const std::string& prompt, const std::string& title,
                      const std::string& defaultText) override;
    void beep() override;
    void setBusy(bool busy) override;
    void processPendingEvents() override;
    void showProgress(const std::string& text) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    void runBatch(std::function<void()> work, std::function<void()> done) override;
    void onWindow(const std::function<void()>& task) override;
    void postToWindow(std::function<void()> task) override;
    void awaitWindow(const std::function<bool()>& answered) override;

    // The main window and how it shows progress; nullptr and an empty function when it
    // goes away.
    void setMainWindow(QWidget* window, std::function<void(const QString&)> showProgress);

private:
    QWidget* dialogParent() const;
    static bool onEventThread();

    QPointer<QWidget> mainWindow_;
    std::function<void(const QString&)> progress_;
    QString progressText_;
    bool busy_ = false;
    BatchThread batch_;
    // Last, so that it goes first: the work under way ends before the windows go.
    BackgroundWork background_;
};

} // namespace quorvel
