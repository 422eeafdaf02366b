#include "viewer/Thumbnails.h"

#include "app/MainWindow.h"

namespace quorvel {

Thumbnails::Thumbnails(MainWindow& window) : w_(window) { (void)w_; }

} // namespace quorvel
