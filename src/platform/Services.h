#pragma once

#include "platform/CaptureDates.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/FolderWatcher.h"
#include "platform/Pictures.h"
#include "platform/SettingsStore.h"
#include "platform/Shell.h"
#include "platform/Toolkit.h"

#include <string>
#include <utility>

namespace quorvel {

// The compiled help, shipped with the program.
inline constexpr const char* helpFileName = "Quorvel.chm";

// Facts about the running program file.
struct ProgramInfo {
    ProgramInfo() = default;
    // Most callers know only the first two: the help and pictures beside the program.
    ProgramInfo(std::string programFolder, std::string name, std::string data = {})
        : folder(std::move(programFolder)), baseName(std::move(name)), dataFolder(std::move(data)) {
    }

    std::string folder;   // absolute folder of the program file
    std::string baseName; // file name without its extension: the settings' application name
    // Where an installed program's help and pictures live when they are not beside it
    // (<prefix>/share/quorvel for <prefix>/bin/quorvel); empty when they are beside it.
    std::string dataFolder;

    const std::string& filesFolder() const { return dataFolder.empty() ? folder : dataFolder; }
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
    // Null where the lists need not follow the disk by themselves (the scenario runner).
    FolderWatcher* folderWatcher = nullptr;
};

} // namespace quorvel
