#include "viewer/PhotoViewer.h"

#include "controls/Controls.h"
#include "controls/FormHost.h"
#include "platform/FileSystem.h"
#include "platform/Toolkit.h"
#include "text/Paths.h"

#include <algorithm>

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
    form_->onKey = [this](const std::string& name) { return key(name); };
}

bool PhotoViewer::key(const std::string& name) {
    if (name == "Left" || name == "PgUp" || name == "Up") {
        browse(-1);
    } else if (name == "Right" || name == "PgDown" || name == "Down") {
        browse(1);
    } else if (name == "Home" || name == "End") {
        browseToEnd(name == "End");
    } else {
        return false;
    }
    return true;
}

void PhotoViewer::browse(int step) {
    if (!form_ || !album_)
        return;
    const std::vector<std::string> album = album_();
    const auto at = std::find(album.begin(), album.end(), wanted_);
    if (at == album.end()) {
        if (!album.empty())
            ViewPhoto(step < 0 ? album.back() : album.front());
        return;
    }
    const auto index = (at - album.begin()) + step;
    if (index >= 0 && index < static_cast<std::ptrdiff_t>(album.size()) && step != 0)
        ViewPhoto(album[static_cast<std::size_t>(index)]);
}

void PhotoViewer::browseToEnd(bool last) {
    if (!form_ || !album_)
        return;
    const std::vector<std::string> album = album_();
    if (!album.empty() && (last ? album.back() : album.front()) != wanted_)
        ViewPhoto(last ? album.back() : album.front());
}

void PhotoViewer::ViewPhoto(const std::string& path) {
    // A closed viewer opens once there is a picture to show; an open one comes to the front
    // and keeps its picture until the new one is in.
    if (form_)
        forms_.showForm(*form_);
    else
        create();
    stopLoading();
    wanted_ = path;
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
