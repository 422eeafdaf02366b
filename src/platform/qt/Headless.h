#pragma once

#include "platform/Pictures.h"
#include "platform/SettingsStore.h"
#include "platform/script/ScriptedToolkit.h"

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
// The scripted toolkit with the program's own background work: on the threads of the real
// toolkit, its completions run while a wait handles Qt's events. For benchmarks that time
// what the program does.
std::unique_ptr<ScriptedToolkit> makeThreadedToolkit();

} // namespace quorvel
