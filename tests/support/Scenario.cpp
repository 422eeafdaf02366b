#include "support/Scenario.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel::test {

std::vector<std::string> ScenarioOutput::matching(const std::string& needle) const {
    std::vector<std::string> found;
    for (const std::string& line : lines) {
        if (line.find(needle) != std::string::npos)
            found.push_back(line);
    }
    return found;
}

ScenarioOutput runScenario(const std::string& script) {
    char path[] = "/tmp/quorvel-script-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0)
        throw std::runtime_error("mkstemp failed");
    ::close(fd);
    std::ofstream(path) << script;
    const std::string command = std::string(QUORVEL_SCENARIO_BIN) + " " + path;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        throw std::runtime_error("popen failed");
    ScenarioOutput output;
    std::string line;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        line += buffer;
        if (!line.empty() && line.back() == '\n') {
            line.pop_back();
            output.lines.push_back(line);
            line.clear();
        }
    }
    if (!line.empty())
        output.lines.push_back(line);
    const int status = ::pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::unlink(path);
    return output;
}

std::string ScenarioTest::header() const {
    return "config " + config + "\nprogram " + program + "\ncwd " + temp.path() + "\n";
}

std::string ScenarioTest::workedExample() const {
    const std::string photos = temp.folder("Photos");
    for (const char* name : {"IMG_001.jpg", "IMG_002.jpg", "IMG_003.jpg"})
        temp.file(std::string("Photos/") + name);
    return header() + "start\nopen Dir1 " + photos +
           "\ntype Text1 _Vacances\ntype Text2 1\npick Combo2 2\nclick Option2(0)\n"
           "click Option1(0)\n";
}

} // namespace quorvel::test
