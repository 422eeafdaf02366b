#pragma once

#include "platform/Pictures.h"
#include "platform/SettingsStore.h"

#include <functional>
#include <memory>
#include <string>

class QCoreApplication;

namespace quorvel {

// The Qt services without a window system, for programs that run the logic headless.
// While it lives, the Qt-backed stores and pictures below can be used. argc must outlive it.
class HeadlessQt {
public:
    HeadlessQt(int& argc, char** argv);
    ~HeadlessQt();
    HeadlessQt(const HeadlessQt&) = delete;
    HeadlessQt& operator=(const HeadlessQt&) = delete;

private:
    std::unique_ptr<QCoreApplication> app_;
};

std::unique_ptr<SettingsStore> makeSettingsStore(const std::string& configFolder);
std::unique_ptr<Pictures> makePictures();
class BackgroundWork;

// The real toolkit's background threads without its windows, for benchmarks that time what
// the program does: completions run while processEventsUntil handles Qt's events.
class HeadlessBackground {
public:
    HeadlessBackground();
    ~HeadlessBackground();
    HeadlessBackground(const HeadlessBackground&) = delete;
    HeadlessBackground& operator=(const HeadlessBackground&) = delete;

    void run(std::function<void()> work, std::function<void()> done);
    static void processEventsUntil(const std::function<bool()>& done);

private:
    std::unique_ptr<BackgroundWork> work_;
};

} // namespace quorvel
