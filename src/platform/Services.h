#pragma once

#include "platform/CaptureDates.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/Pictures.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Toolkit.h"

#include <string>

namespace quorvel {

// Facts about the running program file.
struct ProgramInfo {
    std::string folder;    // absolute folder of the program file
    std::string baseName;  // file name without its extension: the settings' application name
};

struct Services {
    Toolkit& toolkit;
    FileSystem& fs;
    SettingsStore& settings;
    Pictures& pictures;
    Shell& shell;
    Clock& clock;
    ProgramInfo program;
    // Null where no photo's capture date is ever wanted; time stamps then keep file dates.
    CaptureDates* captureDates = nullptr;
};

} // namespace quorvel
