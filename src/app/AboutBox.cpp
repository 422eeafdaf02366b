#include "app/AboutBox.h"

#include "app/MainWindow.h"

namespace quorvel {

AboutBox::AboutBox(MainWindow& window) : w_(window) { (void)w_; }

} // namespace quorvel
