#pragma once

#include "platform/Services.h"

#include <string>

namespace quorvel {

// The running program file, found through /proc/self/exe; argv0 serves only when that
// link cannot be read.
ProgramInfo programInfo(const char* argv0);

// The user's configuration folder: $XDG_CONFIG_HOME when it is set to an absolute path,
// otherwise ~/.config.
std::string defaultConfigFolder();

} // namespace quorvel
