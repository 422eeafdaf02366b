#pragma once

#include "support/Window.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace quorvel::test {

struct ScenarioOutput {
    int status = -1;
    std::vector<std::string> lines; // one JSON event a line
    // The lines that contain `needle`.
    std::vector<std::string> matching(const std::string& needle) const;
};

// Runs quorvel-scenario on the script (written to a temporary file) and collects its output.
ScenarioOutput runScenario(const std::string& script);

// A fresh settings folder and program folder for each scenario, under a temporary folder
// that is also the working folder.
class ScenarioTest : public ::testing::Test {
protected:
    // The script's first lines, which set the runner up on them before "start".
    std::string header() const;
    // Puts IMG_001.jpg to IMG_003.jpg in Photos; the lines that start the window, open them
    // and fill the panel of the worked example: _Vacances from 1 by 2, two digits, scheme 0.
    std::string workedExample() const;

    TempFolder temp;
    std::string config = temp.folder("config");
    std::string program = temp.folder("program");
};

} // namespace quorvel::test
