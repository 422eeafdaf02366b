#include "rename/CameraClock.h"

#include <cstdio>
#include <cstdlib>

namespace quorvel {

namespace {

constexpr std::int64_t day = 86400;
// Ten thousand days: beyond that no clock was ever merely set wrong.
constexpr std::int64_t maxDays = 9999;

std::int64_t daysFromCivil(std::int64_t year, int month, int dayOfMonth) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + dayOfMonth - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

CaptureTime civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t dayOfEra = days - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CaptureTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = static_cast<int>(yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0));
    return time;
}

// Exactly `count` digits at `at`, as a number.
bool digitsAt(const std::string& text, std::size_t at, std::size_t count, std::int64_t& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

std::int64_t CameraOffsets::of(const std::string& camera) const {
    if (seconds.empty())
        return 0;
    const auto found = seconds.find(key(camera));
    return found == seconds.end() ? 0 : found->second;
}

std::string CameraOffsets::key(const std::string& camera) {
    std::string entry = camera.empty() ? std::string(noCamera) : camera;
    for (char& c : entry) {
        if (c == '/' || c == '\\')
            c = '_';
    }
    return entry;
}

std::optional<std::int64_t> parseOffset(const std::string& typed) {
    std::size_t first = typed.find_first_not_of(' ');
    if (first == std::string::npos)
        return 0;
    const std::string text = typed.substr(first, typed.find_last_not_of(' ') - first + 1);
    if (text[0] != '+' && text[0] != '-')
        return std::nullopt;
    std::int64_t days = 0;
    std::size_t at = 1;
    if (const std::size_t blank = text.find(' '); blank != std::string::npos) {
        if (blank < 2 || blank > 5 || !digitsAt(text, 1, blank - 1, days))
            return std::nullopt;
        at = blank + 1;
    }
    std::int64_t hours = 0, minutes = 0, seconds = 0;
    if (text.size() != at + 8 || !digitsAt(text, at, 2, hours) || text[at + 2] != ':' ||
        !digitsAt(text, at + 3, 2, minutes) || text[at + 5] != ':' ||
        !digitsAt(text, at + 6, 2, seconds) || minutes > 59 || seconds > 59 ||
        (at > 1 && hours > 23) || days > maxDays)
        return std::nullopt;
    const std::int64_t total = days * day + hours * 3600 + minutes * 60 + seconds;
    return text[0] == '-' ? -total : total;
}

std::string offsetText(std::int64_t seconds) {
    const char sign = seconds < 0 ? '-' : '+';
    const std::int64_t magnitude = std::llabs(seconds);
    const std::int64_t days = magnitude / day, rest = magnitude % day;
    char text[48];
    if (days > 0)
        std::snprintf(text, sizeof text, "%c%lld %02lld:%02lld:%02lld", sign,
                      static_cast<long long>(days), static_cast<long long>(rest / 3600),
                      static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    else
        std::snprintf(text, sizeof text, "%c%02lld:%02lld:%02lld", sign,
                      static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                      static_cast<long long>(rest % 60));
    return text;
}

std::int64_t calendarSeconds(const CaptureTime& time) {
    return daysFromCivil(time.year, time.month, time.day) * day + std::int64_t{time.hour} * 3600 +
           std::int64_t{time.minute} * 60 + time.second;
}

CaptureTime shifted(const CaptureTime& time, std::int64_t seconds) {
    const std::int64_t total = calendarSeconds(time) + seconds;
    const std::int64_t days = total >= 0 ? total / day : (total - day + 1) / day;
    const std::int64_t rest = total - days * day;
    CaptureTime result = civilFromDays(days);
    result.hour = static_cast<int>(rest / 3600);
    result.minute = static_cast<int>(rest / 60 % 60);
    result.second = static_cast<int>(rest % 60);
    return result;
}

ShiftedCapture shiftedCapture(CaptureDates& dates, const CameraOffsets* offsets,
                              const std::string& path) {
    const CaptureInfo info = dates.capture(path);
    ShiftedCapture result;
    if (!info.time)
        return result;
    result.offset = offsets == nullptr ? 0 : offsets->of(info.camera);
    // A year the names cannot show is no date: the file's own date stands in for it.
    const CaptureTime time = shifted(*info.time, result.offset);
    if (time.year >= 1 && time.year <= 9999)
        result.time = time;
    else
        result.offset = 0;
    return result;
}

} // namespace quorvel
