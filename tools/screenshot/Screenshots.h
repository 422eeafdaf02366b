#pragma once

namespace quorvel {

// Renders the program's windows on sample photographs and saves them as PNG files in the
// folder given as the first argument: main.png, problem.png, thumbnails.png, viewer.png,
// about.png. Returns the process status.
int runScreenshots(int argc, char** argv);

} // namespace quorvel
