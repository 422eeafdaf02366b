#pragma once

#include "platform/CaptureDates.h"

#include <cstdint>
#include <vector>

namespace quorvel {

// Reads capture dates with a parser of our own rather than a library: the libraries at
// hand parse every tag of a file and cost more per photo than the rename itself, while
// this reads the few hundred bytes that lead to the two dates, usually in one read.
class ExifCaptureDates : public CaptureDates {
public:
    std::optional<CaptureTime> captureTime(const std::string& path) override;

private:
    std::vector<std::uint8_t> buffer_; // kept from file to file
};

} // namespace quorvel
