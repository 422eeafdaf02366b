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

// make and model: IFD0's camera.
ByteVector tiffBlock(const TiffLayout& layout, const std::string& make = "Camera",
                     const std::string& model = {});
// The TIFF structure wrapped the way each container keeps EXIF.
ByteVector jpegWith(const ByteVector& tiff);
ByteVector pngWith(const ByteVector& tiff);
ByteVector webpWith(const ByteVector& tiff);
// inIdat: the EXIF item's data inside the "meta" box rather than in "mdat".
ByteVector heifWith(const ByteVector& tiff, bool inIdat = false);

// What a synthetic MP4 or QuickTime video holds; an empty text leaves its item out.
struct MovieLayout {
    std::string brand = "isom"; // "qt  " for QuickTime; empty: no "ftyp" box at all
    std::uint64_t created = 0;  // the "mvhd" creation time, seconds since 1904 in UTC
    bool wideHeader = false;    // "mvhd" version 1, with 64-bit times
    std::string creationDate;   // com.apple.quicktime.creationdate, in "moov/meta"
    std::string day;            // "©day" in "moov/udta"
    std::string make;           // com.apple.quicktime.make
    std::string model;          // com.apple.quicktime.model
    std::uint32_t media = 64;   // bytes of "mdat", before "moov" as cameras write it
};
ByteVector movieWith(const MovieLayout& layout);

} // namespace quorvel::testing
