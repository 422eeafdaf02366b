#include "rename/BatchRename.h"

#include "batch/BatchExecutor.h"
#include "batch/FileBatch.h"
#include "controls/Controls.h"
#include "controls/Errors.h"
#include "panes/Panes.h"
#include "platform/Services.h"
#include "rename/CameraClock.h"
#include "rename/NameComposer.h"
#include "rename/RenamePlan.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace quorvel {

namespace {

const char* const title = "Renommer";

} // namespace

// What the batch thread holds of a run. The window's thread reads it only while that thread
// waits on it or once it has ended.
struct BatchRename::Walk {
    Walk(FileSystem& fs, const std::vector<std::string>& rows, std::vector<int> taken,
         const std::string& sourceFolder)
        : planner(fs, rows, std::move(taken), sourceFolder) {}
    RenamePlanner planner;
    std::unique_ptr<ObserverOnWindow> observer;
    std::unique_ptr<BatchExecutor> executor;
    BatchInfo info;
    // The panel as the window showed it at the click and after each wait.
    RunSettings settings;
    std::int64_t listed = 0;
    std::vector<FileFailure> failures;
    Foreseen foreseen;
    PlannedItem item;
    // The window's variables as the walk leaves them.
    std::string lastSource;
    std::string lastTarget;
    std::int64_t rank = 0;
    std::string rankText;
    bool noWarning = false;
    bool renamedSinceRead = false;
    std::size_t walked = 0;
    bool stopped = false; // by the user
    BatchSummary summary;
};

BatchRename::BatchRename(const RunControls& controls, const NameComposer& composer, Panes& panes,
                         Services& services, std::function<void(bool running)> runningChanged)
    : ui_(controls), composer_(composer), panes_(panes), services_(services),
      runningChanged_(std::move(runningChanged)) {
    ui_.renameButton.onClick = [this] { run(); };
    ui_.problemOk.onClick = [this] {
        ui_.problemPanel.setVisible(false);
        panelUp_ = false;
    };
    ui_.stopButton.setVisible(false);
    ui_.stopButton.onClick = [this] { stop(); };
}

BatchRename::~BatchRename() = default;

std::string BatchRename::FormatRenameResult(std::int64_t renamed, std::int64_t listed) {
    return std::to_string(renamed) + " fichiers ont été renommés sur les " +
           std::to_string(listed) + " présents.";
}

RunSettings BatchRename::settings() const {
    return {composer_.selectedScheme(),
            composer_.variables().typedGeneric,
            !ui_.startIndex.text().empty(),
            composer_.variables().startNumber,
            composer_.variables().increment,
            composer_.selectedDigits(),
            ui_.targetType.text(),
            ui_.exifDates ? services_.captureDates : nullptr,
            ui_.capture.order,
            services_.captureDates,
            ui_.capture.sameSecond,
            ui_.capture.offsets};
}

std::vector<int> BatchRename::takenRows() const {
    std::vector<int> taken = ui_.sourceFiles.selectedRows();
    if (taken.empty()) {
        taken.resize(ui_.sourceFiles.rows().size());
        for (std::size_t i = 0; i < taken.size(); ++i)
            taken[i] = static_cast<int>(i);
    }
    return taken;
}

RunPlan BatchRename::plan(const PlanRows& each) {
    return planRun(services_.fs, inputs(), each);
}

RunInputs BatchRename::inputs() const {
    auto rows = ui_.sourceFiles.sharedRows();
    auto targetRows = ui_.targetFiles.sharedRows();
    if (rows != targetRows && *rows == *targetRows)
        targetRows = rows;
    return {settings(),
            std::move(rows),
            takenRows(),
            ui_.sourceFiles.path(),
            ui_.targetFiles.path(),
            std::move(targetRows)};
}

void BatchRename::refuse(const std::string& text) {
    Toolkit& toolkit = services_.toolkit;
    toolkit.message(text, Icon::Error, Buttons::Ok, title);
    toolkit.message(FormatRenameResult(0, 0), Icon::None, Buttons::Ok, title);
    finish();
}

void BatchRename::finish() {
    ui_.noWarningBox.setValue(false);
    services_.toolkit.setBusy(false);
}

// The window's variables follow the walk as far as it got with each file.
void BatchRename::publish(const Walk& walk) {
    vars_.lastSource = walk.lastSource;
    vars_.lastTarget = walk.lastTarget;
    vars_.rank = walk.rank;
    vars_.rankText = walk.rankText;
}

namespace {

template <typename WalkT> void show(WalkT& walk) {
    const PlannedItem& item = walk.item;
    walk.lastSource.assign(walk.planner.targetPrefix()).append(walk.planner.name(item));
    if (item.hasRang)
        walk.rank = item.rang;
    if (item.hasNumber)
        walk.rankText = item.number;
    if (item.hasNewName)
        walk.lastTarget = item.change.target;
}

} // namespace

// Shows the problem panel and waits until the user closes it or stops the run, then
// follows what the window shows of the panel and of the target folder.
void BatchRename::waitOnCollision(Walk& walk, const std::string& newName) {
    Toolkit& toolkit = services_.toolkit;
    toolkit.onWindow([this, &walk, &newName] {
        // What the user looks at during the wait is what is on disk: the target list as it
        // would be after re-reading it at every rename.
        if (walk.renamedSinceRead)
            ui_.targetFiles.refresh();
        walk.renamedSinceRead = false;
        publish(walk);
        panelUp_ = true;
        ui_.problemPanel.setVisible(true);
        ui_.problemText.setCaption(newName + " existe déjà !");
    });
    toolkit.awaitWindow([this] { return !panelUp_ || stopAsked_; });
    toolkit.onWindow([this, &walk] {
        panelUp_ = false;
        ui_.problemPanel.setVisible(false);
        walk.noWarning = ui_.noWarningBox.value();
        // What the window shows now is what the rest of the walk follows.
        walk.settings = settings();
        walk.planner.setTarget(ui_.targetFiles.path(), ui_.targetFiles.rows());
    });
}

bool BatchRename::asTold(const Foreseen& foreseen) {
    if (foreseen.toldAt + foreseen.items.size() > foreseen.toldIndex.size())
        return false;
    for (std::size_t k = 0; k < foreseen.items.size(); ++k) {
        const PlannedItem& item = foreseen.items[k];
        if (item.predicted.outcome != Outcome::Done)
            continue;
        const std::size_t index = foreseen.toldIndex[foreseen.toldAt + k];
        if (index == Foreseen::none || foreseen.told[index].source != item.change.source ||
            foreseen.told[index].target != item.change.target)
            return false;
    }
    return true;
}

// Tells the observer what the next files would change, before any of it, and keeps the
// plan for the walk to follow while things go as foreseen. A surprise that moved no later
// name (a name found taken, when names come from the files' dates) leaves the told changes
// standing: they are not told again.
void BatchRename::foresee(Walk& walk) {
    Foreseen& foreseen = walk.foreseen;
    foreseen.items = walk.planner.foresee(walk.settings, walk.rank, foreseen.reach);
    foreseen.next = 0;
    foreseen.reach = std::min(foreseen.reach * 2, Foreseen::widest);
    if (asTold(foreseen))
        return;
    foreseen.told.clear();
    foreseen.toldIndex.clear();
    foreseen.toldAt = 0;
    for (const PlannedItem& item : foreseen.items) {
        const bool changes = item.predicted.outcome == Outcome::Done;
        foreseen.toldIndex.push_back(changes ? foreseen.told.size() : Foreseen::none);
        if (changes)
            foreseen.told.push_back(item.change);
    }
    walk.executor->announce(foreseen.told);
}

ItemOutcome BatchRename::walkOne(Walk& walk) {
    RenamePlanner& planner = walk.planner;
    BatchExecutor& executor = *walk.executor;
    Foreseen& foreseen = walk.foreseen;
    PlannedItem& item = walk.item;
    // Only an observer needs the changes foreseen; without one, the run decides each file
    // as it comes.
    if (observer_ == nullptr) {
        item.rang = walk.rank;
        planner.next(walk.settings, item);
    } else {
        if (foreseen.next == foreseen.items.size())
            foresee(walk);
        item = std::move(foreseen.items[foreseen.next++]);
        ++foreseen.toldAt;
    }
    show(walk);
    ItemOutcome outcome = item.predicted;
    if (outcome.outcome == Outcome::Done)
        outcome = executor.performAnnounced(item.change);
    else
        executor.settled(item.change, outcome);
    planner.settle(item, outcome.outcome);
    // A file that did not go as foreseen moves the numbers of the files that follow: they
    // are foreseen again, a few at first, since one surprise often brings others.
    if (outcome.outcome != item.predicted.outcome) {
        foreseen.items.clear();
        foreseen.next = 0;
        foreseen.reach = Foreseen::afterSurprise;
    }
    return outcome;
}

void BatchRename::showResult(Toolkit& toolkit, const BatchSummary& summary, std::int64_t listed,
                             const std::vector<FileFailure>& failures, std::int64_t untreated) {
    std::string text = withSyncFailure(
        withFailures(FormatRenameResult(summary.done, listed), failures), summary.syncError);
    if (untreated > 0)
        text +=
            "\r\nLot arrêté : " + std::to_string(untreated) + " fichiers n'ont pas été traités.";
    toolkit.message(text, summary.syncError == 0 ? Icon::None : Icon::Error, Buttons::Ok, title);
}

void BatchRename::run() {
    if (running_)
        return;
    Toolkit& toolkit = services_.toolkit;
    toolkit.setBusy(true);
    // The walk keeps the rows it began with; they name files of the folder they were read
    // from, and are the batch thread's from now on.
    auto walk = std::make_unique<Walk>(services_.fs, ui_.sourceFiles.rows(), takenRows(),
                                       ui_.sourceFiles.path());
    walk->settings = settings();
    const auto size = static_cast<std::int64_t>(walk->planner.size());
    if (const std::string why = runRefusal(walk->settings, size); !why.empty())
        return refuse(why);
    walk->planner.keepRows();
    walk->planner.setTarget(ui_.targetFiles.path(), ui_.targetFiles.rows());
    walk->listed = static_cast<std::int64_t>(ui_.sourceFiles.rows().size());
    walk->info = {BatchKind::RenameRun, ui_.sourceFiles.path(), ui_.targetFiles.path(),
                  services_.clock.now()};
    walk->lastSource = *vars_.lastSource;
    walk->lastTarget = vars_.lastTarget;
    walk->rank = vars_.rank;
    walk->rankText = vars_.rankText;
    walk->noWarning = ui_.noWarningBox.value();
    if (observer_ != nullptr)
        walk->observer = std::make_unique<ObserverOnWindow>(*observer_, toolkit);
    walk->executor = std::make_unique<BatchExecutor>(
        services_.fs, walk->observer.get(), [&toolkit](const std::string& text) {
            toolkit.postToWindow([&toolkit, text] { toolkit.showProgress(text); });
        });
    walk_ = std::move(walk);
    running_ = true;
    stopAsked_ = false;
    ui_.stopButton.setVisible(true);
    if (runningChanged_)
        runningChanged_(true);
    try {
        toolkit.runBatch([this] { this->walk(*walk_); }, [this] { ended(); });
    } catch (...) {
        // A script that ran out while the run waited: the window is left as after a run.
        walk_.reset();
        running_ = false;
        ui_.stopButton.setVisible(false);
        if (runningChanged_)
            runningChanged_(false);
        finish();
        throw;
    }
}

void BatchRename::walk(Walk& walk) {
    Toolkit& toolkit = services_.toolkit;
    BatchExecutor& executor = *walk.executor;
    // The capture order and the same-second numbers read every file's date: the batch
    // thread's work, like the renames.
    walk.planner.prepare(walk.settings);
    executor.begin(walk.info, walk.planner.size());
    // Each file's date is read once, whether the walk foresees it or not.
    walk.planner.keepStamps();
    toolkit.batchStep(0);
    while (!walk.planner.atEnd()) {
        if (stopAsked_) {
            walk.stopped = true;
            break;
        }
        const ItemOutcome outcome = walkOne(walk);
        toolkit.batchStep(++walk.walked);
        if (executor.stopped())
            break;
        if (outcome.outcome == Outcome::Done)
            walk.renamedSinceRead = true;
        else if (outcome.outcome != Outcome::Collision)
            walk.failures.push_back({walk.planner.name(walk.item), outcome.error, outcome.reason});
        if (outcome.outcome != Outcome::Collision || walk.noWarning || stopAsked_)
            continue;
        waitOnCollision(walk, walk.item.newName);
        // The files may have changed meanwhile.
        walk.planner.keepStamps();
        walk.foreseen = {};
    }
    walk.summary = executor.finish();
}

void BatchRename::ended() {
    const std::unique_ptr<Walk> walk = std::move(walk_);
    publish(*walk);
    ui_.sourceFiles.refresh();
    ui_.targetFiles.refresh();
    panes_.writeTargetStatus();
    const auto untreated =
        walk->stopped ? static_cast<std::int64_t>(walk->planner.size() - walk->walked) : 0;
    showResult(services_.toolkit, walk->summary, walk->listed, walk->failures, untreated);
    running_ = false;
    ui_.stopButton.setVisible(false);
    finish();
    if (runningChanged_)
        runningChanged_(false);
    if (const auto then = std::exchange(afterStop_, {}))
        then();
}

void BatchRename::stop(std::function<void()> then) {
    if (!running_) {
        if (then)
            then();
        return;
    }
    if (then)
        afterStop_ = std::move(then);
    stopAsked_ = true;
    // A run waiting on its panel stops without an answer.
    if (panelUp_)
        ui_.problemPanel.setVisible(false);
}

} // namespace quorvel
