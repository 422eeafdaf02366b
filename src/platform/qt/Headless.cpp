#include "platform/qt/Headless.h"

#include "platform/qt/QtPictures.h"
#include "platform/qt/QtSettingsStore.h"

#include <QCoreApplication>

namespace quorvel {

// Settings and image readers need no display: a core application loads the image plugins
// and works where no window system exists at all.
HeadlessQt::HeadlessQt(int& argc, char** argv)
    : app_(std::make_unique<QCoreApplication>(argc, argv)) {}

HeadlessQt::~HeadlessQt() = default;

std::unique_ptr<SettingsStore> makeSettingsStore(const std::string& configFolder) {
    return std::make_unique<QtSettingsStore>(configFolder);
}

std::unique_ptr<Pictures> makePictures() {
    return std::make_unique<QtPictures>();
}

} // namespace quorvel
