#include "viewer/PhotoViewer.h"

#include "app/Controls.h"
#include "app/FormHost.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "text/Paths.h"

namespace quorvel {

namespace {

const char* const viewerTitle = "Visionner la photo";

bool portrait(const PictureSize& size) {
    return size.width < size.height;
}

} // namespace

PhotoViewer::PhotoViewer(FormHost& forms, Toolkit& toolkit, Pictures& pictures, FileSystem& fs)
    : forms_(forms), toolkit_(toolkit), pictures_(pictures), fs_(fs) {}

PhotoViewer::~PhotoViewer() {
    loading_.request_stop();
}

Geometry PhotoViewer::landscapeFrame() {
    return {400, 200, 14000, 10500};
}

Geometry PhotoViewer::portraitFrame() {
    return {4000, 200, 7875, 10500};
}

void PhotoViewer::create() {
    closed_.reset();
    form_ = std::make_unique<Form>("Form2", 15240, 11115);
    form_->setCaption(viewerTitle);
    image_ = &form_->add<Image>("Image2", form_.get(), Geometry{200, 200, 14000, 10500});
    // The view hands a click on the margin around the picture to the form itself.
    form_->onClick = [this] { close(); };
    image_->onClick = [this] { close(); };
    form_->onClose = [this] { close(); };
}

void PhotoViewer::ViewPhoto(const std::string& path) {
    // A closed viewer opens once there is a picture to show; an open one comes to the front
    // and keeps its picture until the new one is in.
    if (form_)
        forms_.showForm(*form_);
    else
        create();
    stopLoading();
    const std::uint64_t request = request_;
    Pictures& pictures = pictures_;
    auto result = std::make_shared<LoadedPicture>();
    const auto frameFor = [](const PictureSize& natural) {
        const Geometry frame = portrait(natural) ? portraitFrame() : landscapeFrame();
        return PictureSize{frame.width, frame.height};
    };
    toolkit_.runInBackground(
        [&pictures, path, frameFor, result, stop = loading_.get_token()] {
            *result = pictures.load(path, frameFor, stop);
        },
        [this, alive = std::weak_ptr<const bool>(alive_), request, path, result] {
            if (!alive.expired() && request == request_ && form_)
                show(path, *result);
        });
}

void PhotoViewer::show(const std::string& path, const LoadedPicture& loaded) {
    if (loaded.picture && loaded.natural) {
        // The old picture goes first, so that the new frame never shows it stretched.
        image_->setPicture("");
        image_->setGeometry(portrait(*loaded.natural) ? portraitFrame() : landscapeFrame());
        image_->setPicture(path, loaded.picture);
        forms_.showForm(*form_);
        return;
    }
    // No empty window is left behind: a viewer that was not showing a picture goes.
    if (image_->picture().empty())
        close();
    std::string why = "ce n'est pas une image que Quorvel sait lire.";
    if (!fs_.exists(path))
        why = "le fichier n'existe pas.";
    else if (loaded.fault == PictureFault::TooLarge)
        why = "l'image demanderait trop de mémoire.";
    else if (loaded.fault == PictureFault::TooSlow)
        why = "l'image est trop longue à lire.";
    toolkit_.message("Impossible d'afficher " + lastComponent(path) + " : " + why, Icon::Error,
                     Buttons::Ok, viewerTitle);
}

void PhotoViewer::stopLoading() {
    loading_.request_stop();
    loading_ = std::stop_source();
    ++request_;
}

void PhotoViewer::close() {
    if (!form_)
        return;
    stopLoading();
    forms_.destroyForm(*form_);
    image_ = nullptr;
    closed_ = std::move(form_);
}

} // namespace quorvel
