#pragma once

#include "platform/Shell.h"

namespace quorvel {

// The desktop's handlers for links, and a help viewer started beside the program.
class QtShell : public Shell {
public:
    void open(const std::string& operation, const std::string& document,
              const std::string& workingFolder, const std::string& owner) override;
    void showHelp(const std::string& helpFile) override;
};

} // namespace quorvel
