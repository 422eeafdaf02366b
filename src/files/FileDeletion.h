#pragma once

namespace quorvel {

class MainWindow;

// Deletion of the selected files of a pane, one question per file.
class FileDeletion {
public:
    explicit FileDeletion(MainWindow& window);

private:
    MainWindow& w_;
};

} // namespace quorvel
