#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>
#include <string>

namespace quorvel {

struct PictureSize {
    int width = 0;
    int height = 0;
};

// A picture decoded for the frame it is drawn in. What it holds belongs to the service that
// made it and to the view that draws it; the logic only passes it on.
class Picture {
public:
    virtual ~Picture() = default;
};

// Why a picture could not be shown.
enum class PictureFault {
    None,
    NotAPicture, // missing, not a picture, damaged or larger than any picture we show
    TooLarge,    // decoding it would take more memory than a picture may
    TooSlow,     // its decoding went on past the time a picture may take
    Cancelled,   // nobody wants it any more
};

struct LoadedPicture {
    // Natural size of the upright picture; nothing when it is not a picture we can show.
    std::optional<PictureSize> natural;
    // The picture decoded for its frame; null when it could not be decoded.
    std::shared_ptr<const Picture> picture;
    PictureFault fault = PictureFault::NotAPicture;
};

class Pictures {
public:
    virtual ~Pictures() = default;

    // Natural size of the upright picture, read from the file's header without decoding
    // the image; nothing when the file is not a picture that can be shown.
    virtual std::optional<PictureSize> naturalSize(const std::string& path) = 0;

    // Reads the natural size, then decodes the picture for the frame, in twips, that
    // `frameFor` gives for that size. Within a bound of memory and time; gives up soon after
    // `stop` is requested. Safe to call from several threads at once, away from the event
    // thread: it never touches the window.
    virtual LoadedPicture load(const std::string& path,
                               const std::function<PictureSize(const PictureSize&)>& frameFor,
                               std::stop_token stop) = 0;
};

} // namespace quorvel
