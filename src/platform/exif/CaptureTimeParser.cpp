#include "platform/exif/CaptureTimeParser.h"

#include "platform/exif/Containers.h"
#include "platform/exif/MovieDates.h"

#include <algorithm>
#include <array>
#include <vector>

namespace quorvel {

namespace {

bool digits(std::span<const std::uint8_t> text, std::size_t at, std::size_t count, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

int daysInMonth(int year, int month) {
    static constexpr std::array<int, 12> days{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : days[static_cast<std::size_t>(month - 1)];
}

constexpr std::uint16_t exifPointerTag = 0x8769;
constexpr std::uint16_t originalTag = 0x9003;
constexpr std::uint16_t digitizedTag = 0x9004;
constexpr std::uint16_t makeTag = 0x010F;
constexpr std::uint16_t modelTag = 0x0110;
// Longer texts are no camera's name.
constexpr std::uint32_t maxNameLength = 128;
// A real IFD holds a few hundred entries at most; a larger count is damage.
constexpr std::size_t maxEntries = 1024;

struct Tiff {
    ByteSource& source;
    std::uint64_t start;
    std::uint64_t length;
    bool little;

    std::uint16_t u16(std::span<const std::uint8_t> b) const {
        return little ? static_cast<std::uint16_t>(b[0] | b[1] << 8)
                      : static_cast<std::uint16_t>(b[0] << 8 | b[1]);
    }
    std::uint32_t u32(std::span<const std::uint8_t> b) const {
        return little ? (std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 |
                         std::uint32_t{b[1]} << 8 | b[0])
                      : (std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 |
                         std::uint32_t{b[2]} << 8 | b[3]);
    }
    std::span<const std::uint8_t> at(std::uint64_t offset, std::size_t count) const {
        if (count > length || offset > length - count)
            return {};
        return source.bytes(start + offset, count);
    }
};

// What one IFD says about the dates; exifIfd is 0 when it points to no EXIF IFD.
struct IfdDates {
    std::uint32_t exifIfd = 0;
    std::optional<CaptureTime> original;
    std::optional<CaptureTime> digitized;
    std::string make;
    std::string model;
};

std::optional<CaptureTime> entryDate(const Tiff& tiff, std::span<const std::uint8_t> entry) {
    const std::uint16_t type = tiff.u16(entry.subspan(2, 2));
    const std::uint32_t count = tiff.u32(entry.subspan(4, 4));
    // ASCII as the standard says, or the bytes and undefined types some writers use.
    if ((type != 2 && type != 1 && type != 7) || count < 19)
        return std::nullopt;
    const std::span<const std::uint8_t> text = tiff.at(tiff.u32(entry.subspan(8, 4)), 19);
    if (text.size() != 19)
        return std::nullopt;
    return parseExifDateTime(text);
}

// An ASCII value, without the padding of blanks and nuls that cameras leave after it.
std::string entryText(const Tiff& tiff, std::span<const std::uint8_t> entry) {
    const std::uint32_t count = tiff.u32(entry.subspan(4, 4));
    if (tiff.u16(entry.subspan(2, 2)) != 2 || count == 0 || count > maxNameLength)
        return {};
    const std::span<const std::uint8_t> text =
        count <= 4 ? entry.subspan(8, count) : tiff.at(tiff.u32(entry.subspan(8, 4)), count);
    std::string value(text.begin(), text.end());
    value.resize(std::min(value.size(), value.find('\0')));
    while (!value.empty() && value.back() == ' ')
        value.pop_back();
    for (char& c : value) {
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    }
    return value;
}

IfdDates readIfd(const Tiff& tiff, std::uint32_t offset) {
    IfdDates dates;
    const std::span<const std::uint8_t> head = tiff.at(offset, 2);
    if (head.size() != 2)
        return dates;
    const std::uint64_t room = (tiff.length - offset - 2) / 12;
    const auto count = static_cast<std::size_t>(
        std::min<std::uint64_t>({tiff.u16(head), room, std::uint64_t{maxEntries}}));
    const std::span<const std::uint8_t> entries = tiff.at(std::uint64_t{offset} + 2, count * 12);
    if (entries.size() != count * 12)
        return dates;
    // The source reuses its buffer, so entries must be copied before a value is read.
    const std::vector<std::uint8_t> copy(entries.begin(), entries.end());
    for (std::size_t i = 0; i < count; ++i) {
        const std::span<const std::uint8_t> entry = std::span(copy).subspan(i * 12, 12);
        const std::uint16_t tag = tiff.u16(entry.first(2));
        if (tag == exifPointerTag)
            dates.exifIfd = tiff.u32(entry.subspan(8, 4));
        else if (tag == originalTag && !dates.original)
            dates.original = entryDate(tiff, entry);
        else if (tag == digitizedTag && !dates.digitized)
            dates.digitized = entryDate(tiff, entry);
        else if (tag == makeTag)
            dates.make = entryText(tiff, entry);
        else if (tag == modelTag)
            dates.model = entryText(tiff, entry);
    }
    return dates;
}

} // namespace

std::optional<CaptureTime> parseExifDateTime(std::span<const std::uint8_t> text) {
    if (text.size() < 19)
        return std::nullopt;
    const auto dateSeparator = [&](std::size_t i) { return text[i] == ':' || text[i] == '-'; };
    if (!dateSeparator(4) || !dateSeparator(7) || (text[10] != ' ' && text[10] != 'T') ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    CaptureTime time;
    if (!digits(text, 0, 4, time.year) || !digits(text, 5, 2, time.month) ||
        !digits(text, 8, 2, time.day) || !digits(text, 11, 2, time.hour) ||
        !digits(text, 14, 2, time.minute) || !digits(text, 17, 2, time.second))
        return std::nullopt;
    if (time.year < 1 || time.month < 1 || time.month > 12 || time.day < 1 ||
        time.day > daysInMonth(time.year, time.month) || time.hour > 23 || time.minute > 59 ||
        time.second > 59)
        return std::nullopt;
    return time;
}

std::string cameraName(const std::string& make, const std::string& model) {
    // Most makers repeat their name in the model.
    if (make.empty() || model.rfind(make, 0) == 0)
        return model;
    return model.empty() ? make : make + " " + model;
}

CaptureInfo tiffCapture(ByteSource& source, std::uint64_t start, std::uint64_t length) {
    Tiff tiff{source, start, length, true};
    const std::span<const std::uint8_t> header = tiff.at(0, 8);
    if (header.size() != 8)
        return {};
    if (header[0] == 'I' && header[1] == 'I')
        tiff.little = true;
    else if (header[0] == 'M' && header[1] == 'M')
        tiff.little = false;
    else
        return {};
    // Plain TIFF (42), and the variants of a few raw formats built on it.
    const std::uint16_t magic = tiff.u16(header.subspan(2, 2));
    if (magic != 42 && magic != 0x4F52 && magic != 0x5352 && magic != 0x55)
        return {};
    // Only IFD0 and the EXIF IFD it points to are read, never a chain of IFDs, so no
    // loop in the file can keep the reader going.
    const IfdDates first = readIfd(tiff, tiff.u32(header.subspan(4, 4)));
    IfdDates exif;
    if (first.exifIfd != 0)
        exif = readIfd(tiff, first.exifIfd);
    CaptureInfo info;
    info.camera = cameraName(first.make, first.model);
    for (const std::optional<CaptureTime>& time :
         {exif.original, first.original, exif.digitized, first.digitized}) {
        if (time) {
            info.time = time;
            break;
        }
    }
    return info;
}

std::optional<CaptureTime> tiffCaptureTime(ByteSource& source, std::uint64_t start,
                                           std::uint64_t length) {
    return tiffCapture(source, start, length).time;
}

CaptureInfo fileCapture(ByteSource& source) {
    if (const std::optional<ExifBlock> block = findExifBlock(source))
        return tiffCapture(source, block->start, block->length);
    // Videos keep their date in their own boxes; a photo of the same family without EXIF
    // costs the few header reads of a walk that finds no movie.
    return movieCapture(source);
}

std::optional<CaptureTime> fileCaptureTime(ByteSource& source) {
    return fileCapture(source).time;
}

} // namespace quorvel
