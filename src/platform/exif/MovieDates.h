#pragma once

#include "platform/CaptureDates.h"
#include "platform/exif/ByteSource.h"

#include <cstdint>
#include <optional>

namespace quorvel {

// When an MP4, MOV, 3GP or M4V video was taken, and by which camera when it says. The
// QuickTime creation date a phone writes ("2026-07-14T15:30:12+0200") is the wall clock of
// the place, as a photo's EXIF date is, and is taken as written; a date in universal time
// (the "mvhd" box's, or one ending in "Z") is turned into local time as a file date is.
// Only box headers are read on the way to "moov", so a large "mdat" costs one read.
CaptureInfo movieCapture(ByteSource& source);

// Seconds since 1904-01-01 in universal time, as "mvhd" counts them, in local time;
// nothing for 0, which writers leave when they know no date.
std::optional<CaptureTime> movieTime(std::uint64_t secondsSince1904);

} // namespace quorvel
