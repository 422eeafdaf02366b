#pragma once

#include <functional>

namespace quorvel {

// What a caller may watch of the program's start; the start-up benchmark does.
struct StartWatch {
    // The main window has reached the screen, its lists still empty.
    std::function<void()> shown;
    // The saved folders are read into the panes.
    std::function<void()> filled;
};

// The whole program: its services, the main window shown and then filled, the event loop.
// Returns the program's exit status.
int runProgram(int argc, char** argv, const StartWatch& watch = {});

} // namespace quorvel
