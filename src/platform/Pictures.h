#pragma once

#include <optional>
#include <string>

namespace quorvel {

struct PictureSize {
    int width = 0;
    int height = 0;
};

class Pictures {
public:
    virtual ~Pictures() = default;

    // Natural size of the upright picture, read from the file's header without decoding
    // the image; nothing when the file is not a picture that can be shown.
    virtual std::optional<PictureSize> naturalSize(const std::string& path) = 0;
};

} // namespace quorvel
