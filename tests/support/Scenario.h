#pragma once

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

} // namespace quorvel::test
