#pragma once

#include "rename/RenamePlan.h"

#include <cstdint>
#include <functional>
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

// The controls the run reads and writes, and the window variables that hold the panel's
// values and follow the walk.
struct RunControls {
    FileList& File1;
    FileList& File2;
    TextBox& Text2;
    ComboBox& Combo3;
    CommandButton& Command1;
    Frame& FraPro;
    Label& Label5;
    CheckBox& Check1;
    CommandButton& Command2;
    const std::string& Nom;
    const std::int64_t& Numero;
    const std::int64_t& Pas;
    const bool& exifDates; // the capture dates option
    const CaptureOptions& capture;
    std::string& M;
    std::string& N;
    std::int64_t& Rang;
    std::string& Frang;
};

// "Renommer !": the batch rename run with its problem panel.
class BatchRename {
public:
    // closed: whether the window was closed, which ends a run waiting on its panel.
    BatchRename(const RunControls& controls, const NameComposer& composer, Panes& panes,
                Services& services, std::function<bool()> closed);

    // The click on Command1. Does nothing while a run already waits on the panel.
    void run();
    bool running() const { return running_; }

    // What a click on "Renommer !" would do now, without touching the disk.
    RunPlan plan();
    // What the run would read now, for planning it elsewhere.
    RunInputs inputs() const;
    // Told of every run's changes before they are made; null for none.
    void setObserver(BatchObserver* observer) { observer_ = observer; }

    // "3 fichiers ont été renommés sur les 10 présents."
    static std::string FormatRenameResult(std::int64_t renamed, std::int64_t listed);
    // The result message of a batch: the count, the files that failed, and a warning when
    // what it wrote could not be made durable.
    static void showResult(Toolkit& toolkit, const BatchSummary& summary, std::int64_t listed,
                           const std::vector<FileFailure>& failures);

private:
    RunSettings settings() const;
    // The selected rows of File1, or every row when none is selected.
    std::vector<int> takenRows() const;
    void show(const RenamePlanner& planner, const PlannedItem& item);
    bool waitOnCollision(RenamePlanner& planner, const std::string& newName);
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
    void foresee(RenamePlanner& planner, BatchExecutor& executor, Foreseen& foreseen);
    // Whether the files just foreseen would change as they were told before.
    static bool asTold(const Foreseen& foreseen);
    // Plans the next file (or takes it as foreseen), performs it when it can, and moves the
    // walk on past it.
    ItemOutcome walkOne(RenamePlanner& planner, BatchExecutor& executor, Foreseen& foreseen,
                        PlannedItem& item);
    // The two checks and the refusals end alike: nothing touched, the counts 0 and 0.
    void refuse(const std::string& text);
    void finish();

    RunControls ui_;
    const NameComposer& composer_;
    Panes& panes_;
    Services& services_;
    std::function<bool()> closed_;
    BatchObserver* observer_ = nullptr;
    bool running_ = false;
};

} // namespace quorvel
