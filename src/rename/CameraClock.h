#pragma once

#include "platform/CaptureDates.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace quorvel {

// The files whose camera is not named, in the offsets and in the dialog that sets them.
inline constexpr const char* noCamera = "Sans appareil";

// How far each camera's clock is set wrong, as the user corrects it: seconds to add to the
// capture dates read from that camera's files, by camera name ("Make Model" as the files
// give it, noCamera for the files that name none).
struct CameraOffsets {
    std::map<std::string, std::int64_t> seconds; // by key()

    std::int64_t of(const std::string& camera) const;
    // A camera's entry: noCamera for none, and no slash, which settings keys cannot hold.
    static std::string key(const std::string& camera);
};

// The "Options" menu's choices about capture dates beyond the first, as the window holds
// them. The offsets are replaced whole, never changed in place, so that a plan made away
// from the window may keep reading the ones it was given.
struct CaptureOptions {
    bool order = false;
    bool sameSecond = false;
    std::shared_ptr<const CameraOffsets> offsets;
};

// "+HH:MM:SS", "-HH:MM:SS" or with days "+1 02:00:00"; an empty text is no offset. Nothing
// for any other text.
std::optional<std::int64_t> parseOffset(const std::string& text);
// The offset in the form parseOffset reads: "+01:00:00", "-1 02:00:00".
std::string offsetText(std::int64_t seconds);

// Seconds since an arbitrary day, counted on the calendar: two wall-clock times compare
// and subtract as the times they show, whatever the time zone.
std::int64_t calendarSeconds(const CaptureTime& time);
// The wall-clock time `seconds` later (earlier when negative).
CaptureTime shifted(const CaptureTime& time, std::int64_t seconds);

// A file's capture date corrected by its camera's offset, and the offset applied.
struct ShiftedCapture {
    std::optional<CaptureTime> time;
    std::int64_t offset = 0;
};
// Safe from any thread: it reads the file and nothing of the window.
ShiftedCapture shiftedCapture(CaptureDates& dates, const CameraOffsets* offsets,
                              const std::string& path);

} // namespace quorvel
