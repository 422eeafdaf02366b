#pragma once

#include "platform/CaptureDates.h"

namespace quorvel {

// Reads capture dates with a parser of our own rather than a library: the libraries at
// hand parse every tag of a file and cost more per photo than the rename itself, while
// this reads the few hundred bytes that lead to the two dates, usually in one read.
class ExifCaptureDates : public CaptureDates {
public:
    // Safe from several threads at once: the preview plans away from the window while a
    // run may read dates on the window's thread.
    std::optional<CaptureTime> captureTime(const std::string& path) override;
    CaptureInfo capture(const std::string& path) override;
};

} // namespace quorvel
