#pragma once

#include "platform/CaptureDates.h"
#include "rename/Scheme.h"

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace quorvel {

class Clock;
class ComboBox;
class FileList;
class Frame;
class OptionButton;
class TextBox;

// What the composer reads and writes: the rename panel's controls and the source list it
// sizes the numbers for.
struct ComposerControls {
    TextBox& genericName;
    TextBox& startIndex;
    ComboBox& stepBox;
    ComboBox& targetType;
    Frame& renamePanel;
    Frame& digitsGroup;
    std::array<OptionButton*, 5> schemeOptions;
    std::array<OptionButton*, 3> digitOptions;
    FileList& sourceFiles;
};

// The window variables of the typed values, written as the user types or picks.
struct ComposerVariables {
    std::string typedGeneric;     // Nom
    std::int64_t startNumber = 0; // Numero
    std::int64_t increment = 0;   // Pas
};

// The rename panel's choices and the five live sample names.
class NameComposer {
public:
    NameComposer(const ComposerControls& controls, Clock& clock);

    void UpdateNamePreview();
    void SelectNumberWidth();
    // Takes the values the boxes hold now, as start-up does once it has filled them.
    void takeTypedValues();
    const ComposerVariables& variables() const { return vars_; }
    // For a test that sets a value no box can give.
    ComposerVariables& variables() { return vars_; }

    // Digits of the selected width option (2, 3 or 4), 0 while none is selected.
    int selectedDigits() const;
    // Index of the selected naming scheme, -1 while none is selected.
    Scheme selectedScheme() const;

    // v padded with zeros to `digits`, "-" in front when negative; never cut.
    static std::string numberText(std::int64_t value, int digits);
    // The wall-clock time of a file date.
    static std::optional<CaptureTime> localTime(std::time_t time);
    // "YYYY_MM_DD_HHNNSS" in local time.
    static std::string timeStamp(std::time_t time);
    // The same text for a wall-clock time taken as it stands.
    static std::string timeStamp(const CaptureTime& time);
    // The name a scheme gives; `run` selects the run's form of scheme 2 (a blank before
    // the parenthesis) over the sample's.
    static std::string composeName(Scheme scheme, const std::string& generic,
                                   const std::string& number, const std::string& stamp,
                                   const std::string& type, bool run);

private:
    ComposerControls ui_;
    ComposerVariables vars_;
    Clock& clock_;
};

} // namespace quorvel
