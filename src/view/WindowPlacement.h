#pragma once

#include <string>

namespace quorvel {

class FormWindow;
class SettingsStore;

// The main window comes back where and as large as the user left it: its place and size are
// read from the settings group "Fenetre" now and written there when the window goes. A
// place that no screen shows any more is left to the desktop; a size never goes below the
// window's smallest.
void keepPlacement(FormWindow& window, SettingsStore& store, const std::string& application);

} // namespace quorvel
