#pragma once

#include <optional>
#include <string>

namespace quorvel {

// When a photo was taken, as the camera's clock showed it. Cameras record wall-clock time
// without a zone, so it is kept broken down and never converted.
struct CaptureTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const CaptureTime&, const CaptureTime&) = default;
};

class CaptureDates {
public:
    virtual ~CaptureDates() = default;
    // EXIF DateTimeOriginal, else DateTimeDigitized; nothing when the file holds neither,
    // cannot be read or is damaged, so that the caller falls back to the file's own date.
    virtual std::optional<CaptureTime> captureTime(const std::string& path) = 0;
};

} // namespace quorvel
