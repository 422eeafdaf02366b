#pragma once

#include <string>

namespace quorvel {

class MainWindow;

// Create, rename and delete the folder a pane is open on.
class FolderCommands {
public:
    explicit FolderCommands(MainWindow& window);

private:
    MainWindow& w_;
};

} // namespace quorvel
