#include "app/AboutBox.h"

#include "controls/Controls.h"
#include "controls/FormHost.h"
#include "platform/Shell.h"
#include "text/Paths.h"

#include <utility>

namespace quorvel {

namespace {

constexpr Rgb red = 0xFF0000;
constexpr Rgb blue = 0x0000FF;

Label& label(Form& form, const std::string& name, Geometry geometry, const std::string& text) {
    Label& added = form.add<Label>(name, &form, geometry);
    added.setCaption(text);
    return added;
}

} // namespace

AboutBox::AboutBox(CommandButton& opener, FormHost& forms, Shell& shell, ProgramInfo program)
    : forms_(forms), shell_(shell), program_(std::move(program)) {
    opener.onClick = [this] { show(); };
}

AboutBox::~AboutBox() = default;

void AboutBox::create() {
    closed_.reset();
    form_ = std::make_unique<Form>("About", 8700, 6135);
    Form& f = *form_;
    f.setCaption("A Propos de Quorvel");
    f.add<Image>("Picture1", &f, Geometry{0, 0, 3735, 2535})
        .setPicture(joinPath(program_.filesFolder(), pictureFile));
    label(f, "Label1", {5400, 360, 2895, 615}, "Quorvel").setForeColor(red);
    label(f, "Label2", {5400, 1080, 2895, 375}, "version : " QUORVEL_VERSION);
    label(f, "Label3", {5400, 1920, 3015, 375}, "Auteur : Vesquin").setForeColor(blue);
    label(f, "Label4", {480, 2760, 8055, 615},
          "Si ce logiciel vous a plu, ou si vous souhaitez le voir évoluer, n'hésitez pas à "
          "m'écrire");
    Label& contactLine = label(f, "Label5", {2040, 3480, 5295, 495}, contactAddress);
    contactLine.setForeColor(red);
    contactLine.onClick = [this] { contact(); };
    label(f, "Label6", {480, 4560, 7935, 615},
          "Merci à Tressol pour toutes les suggestions,  les modifications et apports importants")
        .setForeColor(blue);
    CommandButton& ok = f.add<CommandButton>("CommandOK", &f, Geometry{5400, 5400, 2775, 615});
    ok.setCaption("OK");
    ok.onClick = [this] { close(); };
    f.onClose = [this] { close(); };
}

void AboutBox::show() {
    if (!form_)
        create();
    forms_.showForm(*form_);
}

void AboutBox::close() {
    if (!form_)
        return;
    forms_.destroyForm(*form_);
    closed_ = std::move(form_);
}

// The shell's outcome is not looked at: without a mail program nothing happens.
void AboutBox::contact() {
    shell_.open("Open", std::string("mailto:") + contactAddress, program_.folder, form_->name());
}

} // namespace quorvel
