#pragma once

#include <memory>
#include <string>

namespace quorvel {

class MainWindow;
class Form;
class Image;
struct Geometry;

// The photo viewer window Form2: one window, not modal, created on first use and destroyed
// by a click anywhere in it.
class PhotoViewer {
public:
    explicit PhotoViewer(MainWindow& window);
    ~PhotoViewer();
    PhotoViewer(const PhotoViewer&) = delete;
    PhotoViewer& operator=(const PhotoViewer&) = delete;

    // Shows the picture at `path` in the viewer, opening it when it is closed.
    void ViewPhoto(const std::string& path);
    // A click on the window or on its picture: hides and destroys the window.
    void close();

    // The viewer's form while it is open, nullptr otherwise.
    Form* form() { return form_.get(); }
    Image* image() { return image_; }

    // Frames of Image2, in twips of the window's client area.
    static Geometry landscapeFrame();
    static Geometry portraitFrame();

private:
    void create();

    MainWindow& w_;
    std::unique_ptr<Form> form_;
    Image* image_ = nullptr;
    // A closed form is kept until the next opening: it is closed from inside its own
    // click reaction, which must not be destroyed while it runs.
    std::unique_ptr<Form> closed_;
};

} // namespace quorvel
