#pragma once

#include "platform/Toolkit.h"
#include "platform/qt/BackgroundWork.h"
#include "platform/qt/Icons.h"

#include <QPointer>
#include <functional>
#include <map>

class QWidget;

namespace quorvel {

class FormWindow;

// The toolkit of the real desktop: Qt boxes and one FormWindow per shown model form.
// The first form shown is the main window, where the progress of long runs appears.
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
    void processEventsUntil(const std::function<bool()>& done) override;
    void processPendingEvents() override;
    void showProgress(const std::string& text) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;
    void showForm(Form& form) override;
    void destroyForm(Form& form) override;

    // The window of a shown form, or nullptr.
    FormWindow* windowOf(const Form& form) const;
    // Told of each window once, when it is made and before it is first shown.
    std::function<void(Form&, FormWindow&)> onWindowCreated;
    // Closes the windows still open and lets go of their forms: call it before the forms
    // themselves go away.
    void closeAll();

private:
    QWidget* dialogParent() const;

    std::map<const Form*, QPointer<FormWindow>> windows_;
    const Form* mainForm_ = nullptr;
    bool busy_ = false;
    // Last, so that it goes first: the work under way ends before the windows go.
    BackgroundWork background_;
};

} // namespace quorvel
