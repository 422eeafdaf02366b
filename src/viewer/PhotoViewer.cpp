#include "viewer/PhotoViewer.h"

#include "app/MainWindow.h"

namespace quorvel {

PhotoViewer::PhotoViewer(MainWindow& window) : w_(window) { (void)w_; }

} // namespace quorvel
