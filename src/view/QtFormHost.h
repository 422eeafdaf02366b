#pragma once

#include "controls/FormHost.h"

#include <QPointer>
#include <functional>
#include <map>

namespace quorvel {

class FormWindow;
class QtToolkit;

// One FormWindow per shown model form. The first form shown is the main window: the
// toolkit puts its boxes over it and shows the progress of long runs in it.
class QtFormHost : public FormHost {
public:
    explicit QtFormHost(QtToolkit& toolkit) : toolkit_(toolkit) {}
    ~QtFormHost() override;
    QtFormHost(const QtFormHost&) = delete;
    QtFormHost& operator=(const QtFormHost&) = delete;

    void showForm(Form& form) override;
    void destroyForm(Form& form) override;

    // Runs `then` once the shown form's window has first been painted (see FirstPaint.h).
    void afterFirstPaint(const Form& form, std::function<void()> then);
    // The window of a shown form, or nullptr.
    FormWindow* windowOf(const Form& form) const;
    // Told of each window once, when it is made and before it is first shown.
    std::function<void(Form&, FormWindow&)> onWindowCreated;
    // Closes the windows still open and lets go of their forms: call it before the forms
    // themselves go away.
    void closeAll();

private:
    QtToolkit& toolkit_;
    std::map<const Form*, QPointer<FormWindow>> windows_;
    const Form* mainForm_ = nullptr;
};

} // namespace quorvel
