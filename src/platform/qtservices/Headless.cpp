#include "platform/qtservices/Headless.h"

#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtSettingsStore.h"

#include <QCoreApplication>
#include <QEventLoop>

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

HeadlessBackground::HeadlessBackground() : work_(std::make_unique<BackgroundWork>()) {}

HeadlessBackground::~HeadlessBackground() = default;

void HeadlessBackground::run(std::function<void()> work, std::function<void()> done) {
    work_->run(std::move(work), std::move(done));
}

void HeadlessBackground::processEventsUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

} // namespace quorvel
