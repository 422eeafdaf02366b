#include "files/FolderCommands.h"

#include "app/MainWindow.h"

namespace quorvel {

FolderCommands::FolderCommands(MainWindow& window) : w_(window) { (void)w_; }

} // namespace quorvel
