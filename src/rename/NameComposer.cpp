#include "rename/NameComposer.h"

#include "controls/Controls.h"
#include "platform/Clock.h"
#include "text/Numbers.h"

#include <cstdio>
#include <optional>

namespace quorvel {

NameComposer::NameComposer(const ComposerControls& controls, Clock& clock)
    : ui_(controls), clock_(clock) {
    ui_.genericName.onChange = [this] {
        vars_.typedGeneric = ui_.genericName.text();
        UpdateNamePreview();
    };
    ui_.startIndex.onChange = [this] {
        vars_.startNumber = numericValue(ui_.startIndex.text());
        UpdateNamePreview();
    };
    // Typing into the increment box changes nothing until an entry is picked.
    ui_.stepBox.onClick = [this] {
        vars_.increment = numericValue(ui_.stepBox.text());
        SelectNumberWidth();
    };
    for (int k = 0; k < 5; ++k) {
        ui_.schemeOptions[static_cast<std::size_t>(k)]->onClick = [this, k] {
            ui_.renamePanel.setTag(std::to_string(k));
            UpdateNamePreview();
        };
    }
    for (int k = 0; k < 3; ++k) {
        ui_.digitOptions[static_cast<std::size_t>(k)]->onClick = [this, k] {
            ui_.digitsGroup.setTag(std::to_string(k));
            UpdateNamePreview();
        };
    }
}

int NameComposer::selectedDigits() const {
    for (int k = 0; k < 3; ++k) {
        if (ui_.digitOptions[static_cast<std::size_t>(k)]->value())
            return k + 2;
    }
    return 0;
}

Scheme NameComposer::selectedScheme() const {
    for (int k = 0; k < schemeCount; ++k) {
        if (ui_.schemeOptions[static_cast<std::size_t>(k)]->value())
            return schemeAt(k);
    }
    return Scheme::None;
}

std::string NameComposer::numberText(std::int64_t value, int digits) {
    const bool negative = value < 0;
    std::string magnitude = std::to_string(negative ? -static_cast<unsigned long long>(value)
                                                    : static_cast<unsigned long long>(value));
    if (static_cast<int>(magnitude.size()) < digits)
        magnitude.insert(0, static_cast<std::size_t>(digits) - magnitude.size(), '0');
    return negative ? "-" + magnitude : magnitude;
}

namespace {

// Every time zone's offset is a whole number of quarter hours and changes on a quarter
// hour, so one conversion serves every second of its quarter: a run over thousands of
// files converts each quarter once instead of each file.
constexpr std::time_t quarter = std::time_t{15} * 60;

struct QuarterCache {
    std::time_t start = -1;
    std::tm local{};
};

// Local time through the cache; falls back to a conversion of its own for a zone whose
// quarters do not begin on a quarter of local time (old local mean times). One cache per
// thread, and the reentrant conversion: the preview plans away from the window while a run
// names files on its worker.
std::optional<std::tm> localTm(std::time_t time) {
    thread_local QuarterCache cache;
    if (time >= 0) {
        const std::time_t start = time - time % quarter;
        if (cache.start != start) {
            std::tm converted{};
            if (::localtime_r(&start, &converted) == nullptr)
                return std::nullopt;
            cache = {start, converted};
        }
        if (cache.local.tm_sec == 0 && cache.local.tm_min % 15 == 0) {
            std::tm local = cache.local;
            const auto offset = static_cast<int>(time - start);
            local.tm_min += offset / 60;
            local.tm_sec += offset % 60;
            return local;
        }
    }
    std::tm converted{};
    if (::localtime_r(&time, &converted) == nullptr)
        return std::nullopt;
    return converted;
}

} // namespace

std::optional<CaptureTime> NameComposer::localTime(std::time_t time) {
    const std::optional<std::tm> converted = localTm(time);
    if (!converted)
        return std::nullopt;
    const std::tm& local = *converted;
    return CaptureTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                       local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string NameComposer::timeStamp(std::time_t time) {
    const std::optional<CaptureTime> local = localTime(time);
    return local ? timeStamp(*local) : std::string();
}

std::string NameComposer::timeStamp(const CaptureTime& time) {
    char text[96];
    std::snprintf(text, sizeof text, "%04d_%02d_%02d_%02d%02d%02d", time.year, time.month, time.day,
                  time.hour, time.minute, time.second);
    return text;
}

std::string NameComposer::composeName(Scheme scheme, const std::string& generic,
                                      const std::string& number, const std::string& stamp,
                                      const std::string& type, bool run) {
    const std::string extension = "." + type;
    switch (scheme) {
    case Scheme::NumberThenGeneric:
        return number + generic + extension;
    case Scheme::GenericThenNumber:
        return generic + number + extension;
    case Scheme::NumberInParentheses:
        return generic + (run ? " (" : "(") + number + ")" + extension;
    case Scheme::TimeStamp:
        return stamp + extension;
    case Scheme::NumberThenTimeStamp:
        return number + "_" + stamp + extension;
    case Scheme::None:
        break;
    }
    return {};
}

void NameComposer::takeTypedValues() {
    vars_.increment = numericValue(ui_.stepBox.text());
    vars_.typedGeneric = ui_.genericName.text();
    vars_.startNumber = numericValue(ui_.startIndex.text());
}

void NameComposer::UpdateNamePreview() {
    const int digits = selectedDigits();
    const std::string number =
        digits == 0 ? std::string() : numberText(numericValue(ui_.startIndex.text()), digits);
    const std::string generic = ui_.genericName.text();
    const std::string type = ui_.targetType.text();
    for (int k = 0; k < 3; ++k) {
        ui_.schemeOptions[static_cast<std::size_t>(k)]->setCaption(
            composeName(schemeAt(k), generic, number, {}, type, false));
    }
    ui_.schemeOptions[3]->setCaption(
        composeName(Scheme::TimeStamp, generic, number, timeStamp(clock_.now()), type, false));
    ui_.schemeOptions[4]->setCaption(composeName(Scheme::NumberThenTimeStamp, generic, number,
                                                 timeStamp(clock_.now()), type, false));
}

// The product is taken wide: any product of 999 or more gives four digits.
void NameComposer::SelectNumberWidth() {
    const double product =
        static_cast<double>(ui_.sourceFiles.count()) * static_cast<double>(vars_.increment);
    ui_.digitOptions[2]->select();
    if (product < 999)
        ui_.digitOptions[1]->select();
    if (product < 99)
        ui_.digitOptions[0]->select();
}

} // namespace quorvel
