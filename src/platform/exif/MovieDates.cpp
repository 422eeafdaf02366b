#include "platform/exif/MovieDates.h"

#include "platform/exif/CaptureTimeParser.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <span>
#include <string>
#include <vector>

namespace quorvel {

namespace {

using Bytes = std::span<const std::uint8_t>;

// A damaged file can chain millions of tiny boxes: a walk stops after this many.
constexpr int maxSteps = 1024;
// The metadata items read whole are a few dozen bytes; a larger one (cover art) is skipped.
constexpr std::uint64_t maxItem = 4096;
constexpr std::uint64_t maxKeys = std::uint64_t{256} * 1024;
constexpr std::int64_t secondsFrom1904To1970 = 2082844800;

std::uint32_t big32(Bytes b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}
std::uint64_t big64(Bytes b) {
    return std::uint64_t{big32(b)} << 32 | big32(b.subspan(4));
}

struct Box {
    std::uint64_t payload = 0; // where the contents begin, after the header
    std::uint64_t end = 0;
    std::array<char, 4> type{};

    bool is(const char* name) const { return std::memcmp(type.data(), name, 4) == 0; }
    std::uint64_t length() const { return end - payload; }
};

// The box whose header lies at `at` in a parent that ends at `end`.
std::optional<Box> boxAt(ByteSource& source, std::uint64_t at, std::uint64_t end) {
    if (at >= end || end - at < 8)
        return std::nullopt;
    const std::uint64_t room = end - at;
    const Bytes head =
        source.bytes(at, static_cast<std::size_t>(std::min<std::uint64_t>(16, room)));
    if (head.size() < 8)
        return std::nullopt;
    std::uint64_t size = big32(head);
    std::uint64_t header = 8;
    if (size == 1) {
        if (head.size() < 16)
            return std::nullopt;
        size = big64(head.subspan(8));
        header = 16;
    } else if (size == 0) {
        size = room;
    }
    if (size < header || size > room)
        return std::nullopt;
    Box box{at + header, at + size, {}};
    std::memcpy(box.type.data(), head.data() + 4, 4);
    return box;
}

// Hands each box between `at` and `end` to `each` until it answers false.
template <typename Each>
void eachBox(ByteSource& source, std::uint64_t at, std::uint64_t end, Each&& each) {
    for (int step = 0; step < maxSteps; ++step) {
        const std::optional<Box> box = boxAt(source, at, end);
        if (!box || !each(*box))
            return;
        at = box->end;
    }
}

// A box's contents copied, as the source reuses its buffer; empty when too long.
std::vector<std::uint8_t> contents(ByteSource& source, const Box& box, std::uint64_t limit) {
    if (box.length() == 0 || box.length() > limit)
        return {};
    const Bytes read = source.bytes(box.payload, static_cast<std::size_t>(box.length()));
    return {read.begin(), read.end()};
}

std::string text(Bytes b) {
    std::string value(b.begin(), b.end());
    value.resize(std::min(value.size(), value.find('\0')));
    return value;
}

// What the walk has found so far; the first of each kind wins.
struct Found {
    std::optional<CaptureTime> created;  // com.apple.quicktime.creationdate
    std::optional<CaptureTime> day;      // ©day
    std::optional<CaptureTime> movieBox; // mvhd
    std::string make;
    std::string model;

    void note(const std::string& name, const std::string& value);
};

std::int64_t daysFromCivil(int year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const auto yearOfEra = static_cast<std::int64_t>(year - era * 400);
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::optional<CaptureTime> localTime(std::int64_t unixSeconds) {
    const auto time = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (::localtime_r(&time, &local) == nullptr)
        return std::nullopt;
    return CaptureTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

// An ISO 8601 date and time. With an offset it is the wall clock of the place, taken as it
// stands; in universal time ("Z") it is turned into local time.
std::optional<CaptureTime> isoTime(const std::string& value) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(value.data());
    const std::optional<CaptureTime> time = parseExifDateTime(Bytes(bytes, value.size()));
    if (!time)
        return std::nullopt;
    std::size_t at = 19;
    if (at < value.size() && value[at] == '.') {
        do
            ++at;
        while (at < value.size() && value[at] >= '0' && value[at] <= '9');
    }
    if (at >= value.size() || value[at] != 'Z')
        return time;
    const std::int64_t days = daysFromCivil(time->year, time->month, time->day);
    return localTime(days * 86400 + std::int64_t{time->hour} * 3600 +
                     std::int64_t{time->minute} * 60 + time->second);
}

void Found::note(const std::string& name, const std::string& value) {
    if (name == "com.apple.quicktime.creationdate" && !created)
        created = isoTime(value);
    else if (name == "\xA9"
                     "day" &&
             !day)
        day = isoTime(value);
    else if ((name == "com.apple.quicktime.make" || name == "\xA9mak") && make.empty())
        make = value;
    else if ((name == "com.apple.quicktime.model" || name == "\xA9mod") && model.empty())
        model = value;
}

// The names of a "keys" box, in order: an "ilst" item refers to the n-th as n.
std::vector<std::string> keyNames(Bytes keys) {
    std::vector<std::string> names;
    if (keys.size() < 8)
        return names;
    const std::uint32_t count = big32(keys.subspan(4));
    std::size_t at = 8;
    for (std::uint32_t i = 0; i < count && i < maxSteps && keys.size() - at >= 8; ++i) {
        const std::uint32_t size = big32(keys.subspan(at));
        if (size < 8 || size > keys.size() - at)
            break;
        names.push_back(text(keys.subspan(at + 8, size - 8)));
        at += size;
    }
    return names;
}

// The text of an "ilst" item: the value of its "data" box, past its type and locale.
std::string itemValue(Bytes item) {
    std::string value;
    MemorySource inner(item);
    eachBox(inner, 0, item.size(), [&](const Box& box) {
        if (!box.is("data") || box.length() < 8)
            return true;
        value = text(item.subspan(static_cast<std::size_t>(box.payload + 8),
                                  static_cast<std::size_t>(box.length() - 8)));
        return false;
    });
    return value;
}

// A metadata box, QuickTime's (boxes from the start) or ISO's (version and flags first).
void readMeta(ByteSource& source, const Box& meta, Found& found) {
    const Bytes first = source.bytes(meta.payload, 4);
    const std::uint64_t start = meta.payload + (first.size() == 4 && big32(first) == 0 ? 4 : 0);
    std::vector<std::string> names;
    std::vector<std::pair<std::uint32_t, std::string>> numbered;
    eachBox(source, start, meta.end, [&](const Box& box) {
        if (box.is("keys")) {
            names = keyNames(contents(source, box, maxKeys));
        } else if (box.is("ilst")) {
            eachBox(source, box.payload, box.end, [&](const Box& item) {
                const std::string value = itemValue(contents(source, item, maxItem));
                const std::string name(item.type.begin(), item.type.end());
                if (item.type[0] == '\xA9')
                    found.note(name, value);
                else if (numbered.size() < maxSteps)
                    numbered.emplace_back(
                        big32(Bytes(reinterpret_cast<const std::uint8_t*>(item.type.data()), 4)),
                        value);
                return true;
            });
        }
        return true;
    });
    for (const auto& [index, value] : numbered) {
        if (index >= 1 && index <= names.size())
            found.note(names[index - 1], value);
    }
}

// QuickTime user data: "©day", "©mak" and "©mod" hold a length, a language and the text.
void readUserData(ByteSource& source, const Box& udta, Found& found) {
    eachBox(source, udta.payload, udta.end, [&](const Box& box) {
        if (box.is("meta")) {
            readMeta(source, box, found);
        } else if (box.type[0] == '\xA9') {
            const std::vector<std::uint8_t> bytes = contents(source, box, maxItem);
            if (bytes.size() >= 4) {
                const std::size_t length = std::min<std::size_t>(
                    static_cast<std::size_t>(bytes[0] << 8 | bytes[1]), bytes.size() - 4);
                found.note(std::string(box.type.begin(), box.type.end()),
                           text(Bytes(bytes).subspan(4, length)));
            }
        }
        return true;
    });
}

void readMovieHeader(ByteSource& source, const Box& mvhd, Found& found) {
    const Bytes head = source.bytes(mvhd.payload, std::min<std::size_t>(12, mvhd.length()));
    if (head.size() < 8)
        return;
    if (head[0] == 1 && head.size() == 12)
        found.movieBox = movieTime(big64(head.subspan(4)));
    else if (head[0] == 0)
        found.movieBox = movieTime(big32(head.subspan(4)));
}

// The top-level boxes a QuickTime or MP4 file may begin with.
bool startsMovie(const Box& box) {
    for (const char* type : {"ftyp", "moov", "mdat", "wide", "free", "skip", "pnot"}) {
        if (box.is(type))
            return true;
    }
    return false;
}

} // namespace

std::optional<CaptureTime> movieTime(std::uint64_t secondsSince1904) {
    // Beyond the year 9999 no date is meant.
    if (secondsSince1904 == 0 || secondsSince1904 > 253402300799ULL + secondsFrom1904To1970)
        return std::nullopt;
    return localTime(static_cast<std::int64_t>(secondsSince1904) - secondsFrom1904To1970);
}

CaptureInfo movieCapture(ByteSource& source) {
    std::optional<Box> moov;
    bool first = true;
    eachBox(source, 0, source.size(), [&](const Box& box) {
        if (first && !startsMovie(box))
            return false;
        first = false;
        if (box.is("moov"))
            moov = box;
        return !moov;
    });
    if (!moov)
        return {};
    Found found;
    eachBox(source, moov->payload, moov->end, [&](const Box& box) {
        if (box.is("mvhd") && !found.movieBox)
            readMovieHeader(source, box, found);
        else if (box.is("udta"))
            readUserData(source, box, found);
        else if (box.is("meta"))
            readMeta(source, box, found);
        return true;
    });
    CaptureInfo info;
    info.time = found.created ? found.created : found.day ? found.day : found.movieBox;
    info.camera = cameraName(found.make, found.model);
    return info;
}

} // namespace quorvel
