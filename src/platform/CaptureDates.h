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

// What a file tells of its taking: when, and by which camera ("Make Model" as the camera
// writes them, empty when the file does not say).
struct CaptureInfo {
    std::optional<CaptureTime> time;
    std::string camera;
};

// Every member may be called from any thread: nothing here touches the window.
class CaptureDates {
public:
    virtual ~CaptureDates() = default;
    // EXIF DateTimeOriginal, else DateTimeDigitized (for a video, the date its container
    // records); nothing when the file holds neither, cannot be read or is damaged, so that
    // the caller falls back to the file's own date.
    virtual std::optional<CaptureTime> captureTime(const std::string& path) = 0;
    // The time and the camera in one read of the file.
    virtual CaptureInfo capture(const std::string& path) { return {captureTime(path), {}}; }
};

} // namespace quorvel
