#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::testing {

using ByteVector = std::vector<std::uint8_t>;

// What a synthetic TIFF structure holds. Dates are EXIF text ("2021:07:14 09:30:05").
struct TiffLayout {
    bool little = true;
    std::optional<std::string> original;
    std::optional<std::string> digitized;
    bool datesInIfd0 = false; // in IFD0 itself, as TIFF/EP raws may, rather than the EXIF IFD
    std::uint16_t magic = 42;
    std::string marker;        // bytes 8.. of a raw's header, "CR\x02\x00" for CR2
    std::uint32_t padding = 0; // bytes of image data before IFD0
};

ByteVector tiffBlock(const TiffLayout& layout);
// The TIFF structure wrapped the way each container keeps EXIF.
ByteVector jpegWith(const ByteVector& tiff);
ByteVector pngWith(const ByteVector& tiff);
ByteVector webpWith(const ByteVector& tiff);
// inIdat: the EXIF item's data inside the "meta" box rather than in "mdat".
ByteVector heifWith(const ByteVector& tiff, bool inIdat = false);

} // namespace quorvel::testing
