#pragma once

#include "platform/Services.h"

#include <string>

namespace quorvel {

// The running program file, found through /proc/self/exe; argv0 serves only when that
// link cannot be read.
ProgramInfo programInfo(const char* argv0);

// The folder of an installed program's help and pictures: empty when the help file sits in
// the program's own folder (a build tree, or a copy carried with its files), otherwise
// <prefix>/share/quorvel for a program in <prefix>/bin when that folder holds the help.
std::string installedDataFolder(const std::string& programFolder);

// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an absolute path,
// otherwise ~/.config.
std::string defaultConfigFolder();
// The user's state folder, where the undo journal lives: $XDG_STATE_HOME when it is set to
// an absolute path, otherwise ~/.local/state.
std::string defaultStateFolder();

} // namespace quorvel
