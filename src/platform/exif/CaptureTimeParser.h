#pragma once

#include "platform/CaptureDates.h"
#include "platform/exif/ByteSource.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace quorvel {

// "YYYY:MM:DD HH:MM:SS" as EXIF writes it (a few writers use "-" in the date or "T"
// before the time); nothing for the blank or zero dates of a camera whose clock was never
// set, or for any field out of range.
std::optional<CaptureTime> parseExifDateTime(std::span<const std::uint8_t> text);

// The capture time in the TIFF structure of `length` bytes at `start` (an EXIF block, a
// TIFF or TIFF-based raw file).
std::optional<CaptureTime> tiffCaptureTime(ByteSource& source, std::uint64_t start,
                                           std::uint64_t length);
// The same with the camera that IFD0 names.
CaptureInfo tiffCapture(ByteSource& source, std::uint64_t start, std::uint64_t length);

// The capture time of a whole file, whichever of the known containers it is: the photo
// formats, and the MP4 and QuickTime videos.
std::optional<CaptureTime> fileCaptureTime(ByteSource& source);
CaptureInfo fileCapture(ByteSource& source);

// "Make Model", the model alone when it already begins with the make.
std::string cameraName(const std::string& make, const std::string& model);

} // namespace quorvel
