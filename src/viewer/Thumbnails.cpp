#include "viewer/Thumbnails.h"

#include "controls/Controls.h"
#include "platform/Toolkit.h"
#include "text/Paths.h"
#include "viewer/PhotoViewer.h"

namespace quorvel {

namespace {

int slotTop(int slot) {
    return 360 + slot * 1680;
}

bool portrait(const PictureSize& size) {
    return size.width < size.height;
}

} // namespace

Thumbnails::Thumbnails(const StripControls& controls, PhotoViewer& viewer, Toolkit& toolkit,
                       Pictures& pictures)
    : ui_(controls), viewer_(viewer), toolkit_(toolkit), pictures_(pictures) {
    ui_.sourceView.onClick = [this] { viewSelection("File1"); };
    ui_.targetView.onClick = [this] { viewSelection("File2"); };
    for (int i = 0; i < slots; ++i)
        ui_.stripPictures[static_cast<std::size_t>(i)]->onClick = [this, i] { thumbnailClick(i); };
    // The viewer browses the list the strip shows, as it stands when the user moves on.
    viewer_.setAlbum([this] {
        std::vector<std::string> paths;
        const FileList& list = stripList();
        for (const std::string& name : list.rows())
            paths.push_back(joinPath(list.path(), name));
        return paths;
    });
}

Thumbnails::~Thumbnails() {
    if (fill_)
        fill_->stop.request_stop();
}

Geometry Thumbnails::landscapeFrame(int slot) {
    return {330, slotTop(slot), 1740, 1305};
}

Geometry Thumbnails::portraitFrame(int slot) {
    return {470, slotTop(slot), 980, 1305};
}

FileList& Thumbnails::stripList() {
    return stripIsTarget_ ? ui_.targetFiles : ui_.sourceFiles;
}

void Thumbnails::viewSelection(const std::string& listName) {
    for (int i = 0; i < slots; ++i) {
        ui_.stripNames[static_cast<std::size_t>(i)]->setVisible(false);
        ui_.stripPictures[static_cast<std::size_t>(i)]->setVisible(false);
    }
    ShowSelection(listName);
}

bool Thumbnails::current(const std::shared_ptr<Fill>& fill) const {
    // Closing the window stops the fill, and so does any newer fill.
    return fill == fill_;
}

void Thumbnails::ShowSelection(const std::string& listName) {
    toolkit_.setBusy(true);
    stripIsTarget_ = listName == "File2";
    if (fill_)
        fill_->stop.request_stop();
    const auto fill = std::make_shared<Fill>();
    fill_ = fill;

    // The four rows and their folder as they are now: a click during the fill cannot
    // mix two folders or two starting rows in one strip.
    const FileList& list = stripList();
    fill->folder = list.path();
    for (int i = 0; i < slots; ++i) {
        // Without a current row (-1) the first slot is blank and the next ones start at
        // the top of the list.
        const int row = list.current() + i;
        if (row >= 0 && row < list.count())
            fill->names[static_cast<std::size_t>(i)] = list.row(row);
        else
            fill->loaded[static_cast<std::size_t>(i)] = LoadedPicture{};
    }

    for (int i = 0; i < slots; ++i) {
        Image& image = *ui_.stripPictures[static_cast<std::size_t>(i)];
        image.setPicture("");
        ui_.stripNames[static_cast<std::size_t>(i)]->setCaption("");
        image.setGeometry(landscapeFrame(i));
    }
    for (int i = 0; i < slots; ++i) {
        // A toolkit that loads in line shows the slot at once and lets the user act; what
        // they did may have ended this fill.
        if (!current(fill))
            return;
        if (!fill->names[static_cast<std::size_t>(i)].empty())
            load(fill, i);
    }
    showReady(fill);
}

void Thumbnails::load(const std::shared_ptr<Fill>& fill, int slot) {
    Pictures& pictures = pictures_;
    const std::string path = joinPath(fill->folder, fill->names[static_cast<std::size_t>(slot)]);
    auto result = std::make_shared<LoadedPicture>();
    const auto frameFor = [slot](const PictureSize& natural) {
        const Geometry frame = portrait(natural) ? portraitFrame(slot) : landscapeFrame(slot);
        return PictureSize{frame.width, frame.height};
    };
    toolkit_.runInBackground(
        [&pictures, path, frameFor, result, stop = fill->stop.get_token()] {
            *result = pictures.load(path, frameFor, stop);
        },
        // Only the strip keeps its fills alive: once the strip is gone, the fill is too.
        [this, weak = std::weak_ptr<Fill>(fill), slot, result] {
            const std::shared_ptr<Fill> done = weak.lock();
            if (!done || done != fill_)
                return;
            done->loaded[static_cast<std::size_t>(slot)] = std::move(*result);
            showReady(done);
        });
}

void Thumbnails::showReady(const std::shared_ptr<Fill>& fill) {
    // A picture that arrives while the slots above it are being shown waits for this loop.
    if (fill->showing)
        return;
    fill->showing = true;
    while (current(fill) && fill->shown < slots &&
           fill->loaded[static_cast<std::size_t>(fill->shown)]) {
        showSlot(*fill, fill->shown++);
        toolkit_.processPendingEvents();
    }
    fill->showing = false;
    if (fill == fill_ && fill->shown == slots)
        toolkit_.setBusy(false);
}

void Thumbnails::showSlot(const Fill& fill, int slot) {
    const auto at = static_cast<std::size_t>(slot);
    Image& image = *ui_.stripPictures[at];
    Label& label = *ui_.stripNames[at];
    image.setVisible(true);
    label.setVisible(true);
    const LoadedPicture& loaded = *fill.loaded[at];
    // A file that is not a picture we can show keeps its name and no picture.
    if (loaded.picture && loaded.natural) {
        if (portrait(*loaded.natural))
            image.setGeometry(portraitFrame(slot));
        image.setPicture(joinPath(fill.folder, fill.names[at]), loaded.picture);
    }
    label.setCaption(fill.names[at]);
}

void Thumbnails::stop() {
    if (!fill_)
        return;
    fill_->stop.request_stop();
    if (fill_->shown < slots)
        toolkit_.setBusy(false);
    fill_.reset();
}

void Thumbnails::thumbnailClick(int slot) {
    const std::string& name = ui_.stripNames[static_cast<std::size_t>(slot)]->caption();
    if (name.empty())
        return;
    viewer_.ViewPhoto(joinPath(stripList().path(), name));
}

} // namespace quorvel
