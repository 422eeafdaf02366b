#pragma once

#include "rename/RenamePlan.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel {

class BatchObserver;
class MainWindow;

// "Renommer !": the batch rename run with its problem panel.
class BatchRename {
public:
    explicit BatchRename(MainWindow& window);

    // The click on Command1. Does nothing while a run already waits on the panel.
    void run();
    bool running() const { return running_; }

    // What a click on "Renommer !" would do now, without touching the disk.
    RunPlan plan();
    // Told of every run's changes before they are made; null for none.
    void setObserver(BatchObserver* observer) { observer_ = observer; }

    // "3 fichiers ont été renommés sur les 10 présents."
    static std::string FormatRenameResult(std::int64_t renamed, std::int64_t listed);

private:
    RunSettings settings() const;
    // The selected rows of File1, or every row when none is selected.
    std::vector<int> takenRows() const;
    void show(const RenamePlanner& planner, const PlannedItem& item);
    bool waitOnCollision(const std::string& newName);
    // The two checks and the refusals end alike: nothing touched, the counts 0 and 0.
    void refuse(const std::string& text);
    void finish();

    MainWindow& w_;
    BatchObserver* observer_ = nullptr;
    bool running_ = false;
};

} // namespace quorvel
