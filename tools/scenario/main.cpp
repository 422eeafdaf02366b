// quorvel-scenario SCRIPT: the main window's logic driven by a script of user actions.
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixJournalFiles.h"
#include "platform/posix/ProgramInfo.h"
#include "platform/qtservices/Headless.h"
#include "scenario/ScenarioRunner.h"

#include <fstream>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    using namespace quorvel;
    if (argc != 2) {
        std::cerr << "usage: quorvel-scenario SCRIPT\n";
        return 2;
    }
    std::ifstream script(argv[1]);
    if (!script) {
        std::cerr << "quorvel-scenario: cannot read " << argv[1] << '\n';
        return 2;
    }
    int qtArgc = 1;
    HeadlessQt qt(qtArgc, argv);
    PosixFileSystem fs;
    PosixJournalFiles journalFiles;
    auto pictures = makePictures();
    ProgramInfo program = programInfo(argv[0]);
    // The runner plays the program itself, so it shares the program's settings.
    program.baseName = "quorvel";
    ScenarioPlatform platform{fs,
                              *pictures,
                              [](const std::string& folder) { return makeSettingsStore(folder); },
                              defaultConfigFolder(),
                              program,
                              [](const std::string& folder) {
                                  if (::chdir(folder.c_str()) != 0)
                                      std::cerr << "quorvel-scenario: cannot change to " << folder
                                                << '\n';
                              },
                              journalFiles};
    ScenarioRunner runner(platform, script, std::cout);
    return runner.run();
}
