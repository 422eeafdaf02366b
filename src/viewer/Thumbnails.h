#pragma once

#include "platform/Pictures.h"

#include <array>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace quorvel {

class FileList;
class Image;
class Label;
class PhotoViewer;
class PictureButton;
class Toolkit;
struct Geometry;

// The strip's slots with their names, and the two lists with their "view" buttons.
struct StripControls {
    FileList& sourceFiles;
    PictureButton& sourceView;
    FileList& targetFiles;
    PictureButton& targetView;
    std::array<Image*, 4> stripPictures;
    std::array<Label*, 4> stripNames;
};

// The strip of four thumbnails: four consecutive rows of one pane's file list, from its
// current row, each with its name above it.
class Thumbnails {
public:
    static constexpr int slots = 4;

    Thumbnails(const StripControls& controls, PhotoViewer& viewer, Toolkit& toolkit,
               Pictures& pictures);
    ~Thumbnails();
    Thumbnails(const Thumbnails&) = delete;
    Thumbnails& operator=(const Thumbnails&) = delete;

    // Fills the strip from "File2" (the target pane's list) or, for any other name, from
    // the source pane's list, and remembers that pane for the thumbnail clicks. The pictures
    // are decoded in the background; the slots show from the top, each once it and the
    // slots above it are ready, and the busy pointer stays until the last one shows.
    void ShowSelection(const std::string& listName);
    // A click on TN(slot): opens the slot's file, looked up in the strip pane's folder as
    // it is now, in the viewer. An empty slot does nothing.
    void thumbnailClick(int slot);
    // Ends the fill under way, as the main window closes: its pictures are no longer
    // decoded, and those that come are dropped.
    void stop();

    // The list the strip was last filled from; the source pane's before any.
    FileList& stripList();

    // Frames of TN(slot), in twips of the strip.
    static Geometry landscapeFrame(int slot);
    static Geometry portraitFrame(int slot);

private:
    // One filling of the strip: its rows as they were when it began, and the pictures
    // decoded for them so far.
    struct Fill {
        std::string folder;
        std::array<std::string, slots> names;
        std::array<std::optional<LoadedPicture>, slots> loaded;
        int shown = 0;
        bool showing = false;
        std::stop_source stop;
    };

    void viewSelection(const std::string& listName);
    void load(const std::shared_ptr<Fill>& fill, int slot);
    void showReady(const std::shared_ptr<Fill>& fill);
    void showSlot(const Fill& fill, int slot);
    bool current(const std::shared_ptr<Fill>& fill) const;

    StripControls ui_;
    PhotoViewer& viewer_;
    Toolkit& toolkit_;
    Pictures& pictures_;
    bool stripIsTarget_ = false;
    // The fill under way or last done. A newer fill replaces it, which stops the older's
    // decoding and drops its late pictures.
    std::shared_ptr<Fill> fill_;
};

} // namespace quorvel
