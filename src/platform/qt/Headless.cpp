#include "platform/qt/Headless.h"

#include "platform/qt/BackgroundWork.h"
#include "platform/qt/QtPictures.h"
#include "platform/qt/QtSettingsStore.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace quorvel {

namespace {

class ThreadedToolkit : public ScriptedToolkit {
public:
    void runInBackground(std::function<void()> work, std::function<void()> done) override {
        background_.run(std::move(work), std::move(done));
    }
    void processEventsUntil(const std::function<bool()>& done) override {
        while (!done())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

private:
    BackgroundWork background_;
};

} // namespace

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

std::unique_ptr<ScriptedToolkit> makeThreadedToolkit() {
    return std::make_unique<ThreadedToolkit>();
}

} // namespace quorvel
