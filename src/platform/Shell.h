#pragma once

#include <string>

namespace quorvel {

class Shell {
public:
    virtual ~Shell() = default;

    // Opens a document or link with the program the desktop registered for it, on behalf
    // of the window named `owner`; the outcome is not looked at.
    virtual void open(const std::string& operation, const std::string& document,
                      const std::string& workingFolder, const std::string& owner) = 0;
    // Shows the application's help file.
    virtual void showHelp(const std::string& helpFile) = 0;
};

} // namespace quorvel
