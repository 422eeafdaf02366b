#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

class MainWindow;
class FileList;
struct Geometry;

// The strip of four thumbnails: four consecutive rows of one pane's file list, from its
// current row, each with its name above it.
class Thumbnails {
public:
    static constexpr int slots = 4;

    explicit Thumbnails(MainWindow& window);

    // Fills the strip from "File2" (the target pane's list) or, for any other name, from
    // the source pane's list, and remembers that pane for the thumbnail clicks.
    void ShowSelection(const std::string& listName);
    // A click on TN(slot): opens the slot's file, looked up in the strip pane's folder as
    // it is now, in the viewer. An empty slot does nothing.
    void thumbnailClick(int slot);

    // The list the strip was last filled from; the source pane's before any.
    FileList& stripList();

    // Frames of TN(slot), in twips of the strip.
    static Geometry landscapeFrame(int slot);
    static Geometry portraitFrame(int slot);

private:
    void viewSelection(const std::string& listName);

    MainWindow& w_;
    bool stripIsTarget_ = false;
    // Bumped by each fill, so that a fill started from inside another one's event
    // processing takes the strip over and the older one stops.
    std::uint64_t fill_ = 0;
};

} // namespace quorvel
