#pragma once

#include "platform/Pictures.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <string>
#include <vector>

namespace quorvel {

class FileSystem;
class Form;
class FormHost;
class Toolkit;
class Image;
struct Geometry;

// The photo viewer window Form2: one window, not modal, created on first use and destroyed
// by a click anywhere in it.
class PhotoViewer {
public:
    PhotoViewer(FormHost& forms, Toolkit& toolkit, Pictures& pictures, FileSystem& fs);
    ~PhotoViewer();
    PhotoViewer(const PhotoViewer&) = delete;
    PhotoViewer& operator=(const PhotoViewer&) = delete;

    // Shows the picture at `path` in the viewer, opening it when it is closed. A closed
    // window opens when the picture is decoded, unless another one was asked for or it was
    // closed meanwhile; a picture that cannot be shown is explained and opens nothing, and
    // an open window keeps the picture it has.
    void ViewPhoto(const std::string& path);
    // A click on the window or on its picture: hides and destroys the window.
    void close();

    // Where the viewer finds the photos around the one it shows: the paths of the list it
    // was opened from, in the list's order.
    void setAlbum(std::function<std::vector<std::string>()> album) { album_ = std::move(album); }
    // Shows the photo `step` places after (before, when negative) the one asked for last,
    // in the album; at either end it stays. Nothing happens while the viewer is closed.
    void browse(int step);
    // Shows the album's first or last photo.
    void browseToEnd(bool last);
    // The picture asked for last, shown or on its way.
    const std::string& wanted() const { return wanted_; }

    // The viewer's form while it is open, nullptr otherwise.
    Form* form() { return form_.get(); }
    Image* image() { return image_; }

    // Frames of Image2, in twips of the window's client area.
    static Geometry landscapeFrame();
    static Geometry portraitFrame();

private:
    void create();
    void show(const std::string& path, const LoadedPicture& loaded);
    void stopLoading();
    // The viewer's keys: the arrows, Page Up and Page Down, Home and End browse the album.
    bool key(const std::string& name);

    FormHost& forms_;
    Toolkit& toolkit_;
    Pictures& pictures_;
    FileSystem& fs_;
    std::unique_ptr<Form> form_;
    Image* image_ = nullptr;
    std::function<std::vector<std::string>()> album_;
    std::string wanted_;
    // A closed form is kept until the next opening: it is closed from inside its own
    // click reaction, which must not be destroyed while it runs.
    std::unique_ptr<Form> closed_;
    // Which request the window waits for, and how to stop its decoding.
    std::uint64_t request_ = 0;
    std::stop_source loading_;
    // Gone with the viewer, so that a picture decoded after it finds nobody to show it.
    std::shared_ptr<const bool> alive_ = std::make_shared<const bool>(true);
};

} // namespace quorvel
