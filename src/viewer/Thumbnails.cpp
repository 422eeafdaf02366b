#include "viewer/Thumbnails.h"

#include "app/MainWindow.h"
#include "platform/Names.h"
#include "viewer/PhotoViewer.h"

#include <array>

namespace quorvel {

namespace {

int slotTop(int slot) {
    return 360 + slot * 1680;
}

} // namespace

Thumbnails::Thumbnails(MainWindow& window) : w_(window) {
    w_.Comm1[6]->onClick = [this] { viewSelection("File1"); };
    w_.Comm2[6]->onClick = [this] { viewSelection("File2"); };
    for (int i = 0; i < slots; ++i)
        w_.TN[static_cast<std::size_t>(i)]->onClick = [this, i] { thumbnailClick(i); };
}

Geometry Thumbnails::landscapeFrame(int slot) {
    return {330, slotTop(slot), 1740, 1305};
}

Geometry Thumbnails::portraitFrame(int slot) {
    return {470, slotTop(slot), 980, 1305};
}

FileList& Thumbnails::stripList() {
    return stripIsTarget_ ? w_.File2 : w_.File1;
}

void Thumbnails::viewSelection(const std::string& listName) {
    for (int i = 0; i < slots; ++i) {
        w_.NomTN[static_cast<std::size_t>(i)]->setVisible(false);
        w_.TN[static_cast<std::size_t>(i)]->setVisible(false);
    }
    ShowSelection(listName);
}

void Thumbnails::ShowSelection(const std::string& listName) {
    Toolkit& toolkit = w_.toolkit();
    toolkit.setBusy(true);
    stripIsTarget_ = listName == "File2";
    const std::uint64_t fill = ++fill_;

    // The four rows and their folder as they are now: a click during the fill cannot
    // mix two folders or two starting rows in one strip.
    const FileList& list = stripList();
    const std::string folder = list.path();
    std::array<std::string, slots> names;
    for (int i = 0; i < slots; ++i) {
        // Without a current row (-1) the first slot is blank and the next ones start at
        // the top of the list.
        const int row = list.current() + i;
        if (row >= 0 && row < list.count())
            names[static_cast<std::size_t>(i)] = list.row(row);
    }

    for (int i = 0; i < slots; ++i) {
        Image& image = *w_.TN[static_cast<std::size_t>(i)];
        image.setPicture("");
        w_.NomTN[static_cast<std::size_t>(i)]->setCaption("");
        image.setGeometry(landscapeFrame(i));
    }
    for (int i = 0; i < slots; ++i) {
        Image& image = *w_.TN[static_cast<std::size_t>(i)];
        Label& label = *w_.NomTN[static_cast<std::size_t>(i)];
        image.setVisible(true);
        label.setVisible(true);
        const std::string& name = names[static_cast<std::size_t>(i)];
        if (!name.empty()) {
            const std::string path = joinPath(folder, name);
            // A file that is not a picture we can show keeps its name and no picture.
            if (const auto size = w_.services().pictures.naturalSize(path)) {
                if (size->width < size->height)
                    image.setGeometry(portraitFrame(i));
                image.setPicture(path);
            }
            label.setCaption(name);
        }
        toolkit.processPendingEvents();
        if (fill != fill_ || w_.closed())
            break;
    }
    if (fill == fill_)
        toolkit.setBusy(false);
}

void Thumbnails::thumbnailClick(int slot) {
    const std::string& name = w_.NomTN[static_cast<std::size_t>(slot)]->caption();
    if (name.empty())
        return;
    w_.viewer().ViewPhoto(joinPath(stripList().path(), name));
}

} // namespace quorvel
