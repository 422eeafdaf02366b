#pragma once

namespace quorvel {

class Form;

// Where the model's windows appear: the Qt view on the desktop, a record of open forms in
// tests and in the scenario runner.
class FormHost {
public:
    virtual ~FormHost() = default;

    // Shows a form, creating its window on first use and raising it when it exists.
    virtual void showForm(Form& form) = 0;
    // Lets go of the form's window; the form itself may go away right after.
    virtual void destroyForm(Form& form) = 0;
};

} // namespace quorvel
