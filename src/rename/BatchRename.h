#pragma once

#include "controls/Variables.h"
#include "rename/RenamePlan.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

class BatchExecutor;
class BatchObserver;
class CheckBox;
class ComboBox;
class CommandButton;
class FileList;
class Frame;
class Label;
class NameComposer;
class Panes;
class TextBox;
class Toolkit;
struct CaptureOptions;
struct FileFailure;
struct Services;

// The controls the run reads and writes, and the options of the menu it follows.
struct RunControls {
    FileList& sourceFiles;
    FileList& targetFiles;
    TextBox& startIndex;
    ComboBox& targetType;
    CommandButton& renameButton;
    Frame& problemPanel;
    Label& problemText;
    CheckBox& noWarningBox;
    CommandButton& problemOk;
    CommandButton& stopButton;
    const bool& exifDates; // the capture dates option
    const CaptureOptions& capture;
};

// The window variables that follow the walk as far as it got with each file.
struct RunVariables {
    Kept<std::string> lastSource; // M
    std::string lastTarget;       // N
    std::int64_t rank = 0;        // Rang
    std::string rankText;         // Frang
};

// "Renommer !": the batch rename run with its problem panel. The walk and the disk are the
// batch thread's; the window stays live, and the run asks it only at a wait and at its end.
class BatchRename {
public:
    // runningChanged: told on the window's thread as a run begins and once it has ended, so
    // that the window holds still what would change the batch under way.
    BatchRename(const RunControls& controls, const NameComposer& composer, Panes& panes,
                Services& services, std::function<void(bool running)> runningChanged);
    ~BatchRename();
    BatchRename(const BatchRename&) = delete;
    BatchRename& operator=(const BatchRename&) = delete;

    // The click on Command1. Does nothing while a run is under way.
    void run();
    bool running() const { return running_; }
    // "Arrêter": the run stops after the file in hand, then `then` runs once its result has
    // been shown.
    void stop(std::function<void()> then = {});

    // What a click on "Renommer !" would do now, without touching the disk, file by file.
    RunPlan plan(const PlanRows& each);
    // What the run would read now, for planning it elsewhere.
    RunInputs inputs() const;
    // Told of every run's changes before they are made; null for none.
    void setObserver(BatchObserver* observer) { observer_ = observer; }
    const RunVariables& variables() const { return vars_; }

    // "3 fichiers ont été renommés sur les 10 présents."
    static std::string FormatRenameResult(std::int64_t renamed, std::int64_t listed);
    // The result message of a batch: the count, the files that failed, and a warning when
    // what it wrote could not be made durable.
    // untreated: the files a stopped batch left, told on a line of their own.
    static void showResult(Toolkit& toolkit, const BatchSummary& summary, std::int64_t listed,
                           const std::vector<FileFailure>& failures, std::int64_t untreated = 0);

private:
    struct Walk;
    RunSettings settings() const;
    // The selected rows of File1, or every row when none is selected.
    std::vector<int> takenRows() const;
    // The window's variables as far as the walk got, shown at a wait and at the end.
    void publish(const Walk& walk);
    // The batch thread's side of the run, until its last file or a stop.
    void walk(Walk& walk);
    // After a collision: the panel, unless the user chose to go on without it.
    void waitOnCollision(Walk& walk, const std::string& newName);
    // Back on the window's thread once the batch thread is done.
    void ended();
    // The rest of the walk as planned before any of it was performed.
    struct Foreseen {
        // A plan of this many files holds some tens of megabytes: larger batches are
        // foreseen in parts, each synced to the journal once.
        static constexpr std::size_t widest = std::size_t{1} << 16;
        static constexpr std::size_t afterSurprise = 16;
        std::vector<PlannedItem> items;
        std::size_t next = 0;
        // The changes last told, and for each file of that foresight the index of its
        // change there (`none` for a file not to be changed); toldAt: the walk's next file.
        static constexpr std::size_t none = static_cast<std::size_t>(-1);
        std::vector<WorkItem> told;
        std::vector<std::size_t> toldIndex;
        std::size_t toldAt = 0;
        // How many files the next foresight covers: the widest at first, and after a
        // surprise a few, doubled while the walk goes as foreseen.
        std::size_t reach = widest;
    };
    static void foresee(Walk& walk);
    // Whether the files just foreseen would change as they were told before.
    static bool asTold(const Foreseen& foreseen);
    // Plans the next file (or takes it as foreseen), performs it when it can, and moves the
    // walk on past it.
    ItemOutcome walkOne(Walk& walk);
    // The two checks and the refusals end alike: nothing touched, the counts 0 and 0.
    void refuse(const std::string& text);
    void finish();

    RunControls ui_;
    RunVariables vars_;
    const NameComposer& composer_;
    Panes& panes_;
    Services& services_;
    std::function<void(bool running)> runningChanged_;
    BatchObserver* observer_ = nullptr;
    bool running_ = false;
    std::unique_ptr<Walk> walk_;
    std::function<void()> afterStop_;
    // Written on the window's thread, read on the batch thread between files.
    std::atomic<bool> stopAsked_{false};
    std::atomic<bool> panelUp_{false};
};

} // namespace quorvel
