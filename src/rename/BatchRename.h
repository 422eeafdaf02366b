#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

class MainWindow;

// "Renommer !": the batch rename run with its problem panel.
class BatchRename {
public:
    explicit BatchRename(MainWindow& window);

    void run();
    bool running() const { return running_; }

    // "3 fichiers ont été renommés sur les 10 présents."
    static std::string FormatRenameResult(std::int64_t renamed, std::int64_t listed);

private:
    MainWindow& w_;
    bool running_ = false;
};

} // namespace quorvel
