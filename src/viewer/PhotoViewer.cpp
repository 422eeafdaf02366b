#include "viewer/PhotoViewer.h"

#include "app/MainWindow.h"
#include "platform/Names.h"

namespace quorvel {

namespace {

const char* const viewerTitle = "Visionner la photo";

bool portrait(const PictureSize& size) {
    return size.width < size.height;
}

} // namespace

PhotoViewer::PhotoViewer(MainWindow& window) : w_(window) {}

PhotoViewer::~PhotoViewer() = default;

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
    if (!form_)
        create();
    w_.forms().showForm(*form_);
    const std::optional<PictureSize> size = w_.services().pictures.naturalSize(path);
    // Cleared first, so that the new frame never makes the view decode the old picture.
    image_->setPicture("");
    image_->setGeometry(size && portrait(*size) ? portraitFrame() : landscapeFrame());
    if (size) {
        image_->setPicture(path);
        return;
    }
    // The window stays open and empty; the user is told why and closes it with a click.
    const std::string why = w_.fs().exists(path) ? "ce n'est pas une image que Quorvel sait lire."
                                                 : "le fichier n'existe pas.";
    w_.toolkit().message("Impossible d'afficher " + lastComponent(path) + " : " + why, Icon::Error,
                         Buttons::Ok, viewerTitle);
}

void PhotoViewer::close() {
    if (!form_)
        return;
    w_.forms().destroyForm(*form_);
    image_ = nullptr;
    closed_ = std::move(form_);
}

} // namespace quorvel
