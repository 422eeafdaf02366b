#pragma once

#include "platform/Services.h"

#include <memory>
#include <string>

namespace quorvel {

class CommandButton;
class Form;
class FormHost;
class Shell;

// The about box "About": one at a time, not modal. Its contact line opens a new e-mail.
class AboutBox {
public:
    // Our contact address, on a domain reserved for examples.
    static constexpr const char* contactAddress = "contact@quorvel.example";
    // The picture of the box, shipped beside the program.
    static constexpr const char* pictureFile = "quorvel-about.png";

    AboutBox(CommandButton& opener, FormHost& forms, Shell& shell, ProgramInfo program);
    ~AboutBox();
    AboutBox(const AboutBox&) = delete;
    AboutBox& operator=(const AboutBox&) = delete;

    // APropos: opens the box, or shows the open one again.
    void show();
    // CommandOK and the window's close box.
    void close();

    // The box's form while it is open, nullptr otherwise.
    Form* form() { return form_.get(); }

private:
    void create();
    void contact();

    FormHost& forms_;
    Shell& shell_;
    ProgramInfo program_;
    std::unique_ptr<Form> form_;
    // Closed from inside its own OK button's reaction: kept until the next opening.
    std::unique_ptr<Form> closed_;
};

} // namespace quorvel
