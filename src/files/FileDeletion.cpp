#include "files/FileDeletion.h"

#include "app/MainWindow.h"

namespace quorvel {

FileDeletion::FileDeletion(MainWindow& window) : w_(window) { (void)w_; }

} // namespace quorvel
