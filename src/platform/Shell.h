#pragma once

#include <string>

namespace quorvel {

class Form;

class Shell {
public:
    virtual ~Shell() = default;

    // Opens a document or link with the program the desktop registered for it; the
    // outcome is not looked at.
    virtual void open(const std::string& operation, const std::string& document,
                      const std::string& workingFolder, Form* owner) = 0;
    // Shows the application's help file.
    virtual void showHelp(const std::string& helpFile) = 0;
};

} // namespace quorvel
