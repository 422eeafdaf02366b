#pragma once

#include <cstdint>
#include <string>

namespace quorvel {

class MainWindow;

// "Renommer !": the batch rename run with its problem panel.
class BatchRename {
public:
    explicit BatchRename(MainWindow& window);

    // The click on Command1. Does nothing while a run already waits on the panel.
    void run();
    bool running() const { return running_; }

    // "3 fichiers ont été renommés sur les 10 présents."
    static std::string FormatRenameResult(std::int64_t renamed, std::int64_t listed);

private:
    // Why the present panel values may not start a run over `count` files, empty when
    // they may.
    std::string refusal(std::int64_t count) const;
    // The two checks and the refusals end alike: nothing touched, the counts 0 and 0.
    void refuse(const std::string& text);
    void finish();
    // The time stamp of schemes 3 and 4 for a file: its capture date when the option asks
    // for it and the photo has one, else its modification time. Empty when neither can be
    // read, with the error of the failed read in `error`.
    std::string timeStampOf(const std::string& path, int& error) const;

    MainWindow& w_;
    bool running_ = false;
};

} // namespace quorvel
