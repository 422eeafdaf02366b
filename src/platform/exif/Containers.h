#pragma once

#include "platform/exif/ByteSource.h"

#include <cstdint>
#include <optional>

namespace quorvel {

// Where a file keeps its EXIF data: a TIFF structure of `length` bytes at `start`.
struct ExifBlock {
    std::uint64_t start = 0;
    std::uint64_t length = 0;
};

// Recognises JPEG, TIFF and the TIFF-based raws, PNG, WebP and the ISO media files
// (HEIC, HEIF, AVIF) by their first bytes and finds their EXIF block.
std::optional<ExifBlock> findExifBlock(ByteSource& source);

} // namespace quorvel
