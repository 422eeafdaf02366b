#include "rename/BatchRename.h"

#include "app/Controls.h"
#include "app/Errors.h"
#include "batch/BatchExecutor.h"
#include "panes/Panes.h"
#include "platform/Services.h"
#include "rename/CameraClock.h"
#include "rename/NameComposer.h"
#include "rename/RenamePlan.h"

#include <algorithm>
#include <vector>

namespace quorvel {

namespace {

const char* const title = "Renommer";

} // namespace

BatchRename::BatchRename(const RunControls& controls, const NameComposer& composer, Panes& panes,
                         Services& services, std::function<bool()> closed)
    : ui_(controls), composer_(composer), panes_(panes), services_(services),
      closed_(std::move(closed)) {
    ui_.Command1.onClick = [this] { run(); };
    ui_.Command2.onClick = [this] { ui_.FraPro.setVisible(false); };
}

std::string BatchRename::FormatRenameResult(std::int64_t renamed, std::int64_t listed) {
    return std::to_string(renamed) + " fichiers ont été renommés sur les " +
           std::to_string(listed) + " présents.";
}

RunSettings BatchRename::settings() const {
    return {composer_.selectedScheme(),
            ui_.Nom,
            !ui_.Text2.text().empty(),
            ui_.Numero,
            ui_.Pas,
            composer_.selectedDigits(),
            ui_.Combo3.text(),
            ui_.exifDates ? services_.captureDates : nullptr,
            ui_.capture.order,
            services_.captureDates,
            ui_.capture.sameSecond,
            ui_.capture.offsets};
}

std::vector<int> BatchRename::takenRows() const {
    std::vector<int> taken = ui_.File1.selectedRows();
    if (taken.empty()) {
        taken.resize(ui_.File1.rows().size());
        for (std::size_t i = 0; i < taken.size(); ++i)
            taken[i] = static_cast<int>(i);
    }
    return taken;
}

RunPlan BatchRename::plan() {
    return planRun(services_.fs, settings(), ui_.File1.rows(), takenRows(), ui_.File1.path(),
                   ui_.File2.path(), ui_.File2.rows());
}

RunInputs BatchRename::inputs() const {
    return {settings(),       ui_.File1.rows(), takenRows(),
            ui_.File1.path(), ui_.File2.path(), ui_.File2.rows()};
}

void BatchRename::refuse(const std::string& text) {
    Toolkit& toolkit = services_.toolkit;
    toolkit.message(text, Icon::Error, Buttons::Ok, title);
    toolkit.message(FormatRenameResult(0, 0), Icon::None, Buttons::Ok, title);
    finish();
}

void BatchRename::finish() {
    ui_.Check1.setValue(false);
    services_.toolkit.setBusy(false);
}

// The window's variables follow the walk as far as it got with each file.
void BatchRename::show(const RenamePlanner& planner, const PlannedItem& item) {
    ui_.M.assign(planner.targetPrefix()).append(planner.name(item));
    if (item.hasRang)
        ui_.Rang = item.rang;
    if (item.hasNumber)
        ui_.Frang = item.number;
    if (item.hasNewName)
        ui_.N = item.change.target;
}

// Shows the problem panel until the user closes it, then follows the target folder the
// user may have moved to; false when the window closed instead.
bool BatchRename::waitOnCollision(RenamePlanner& planner, const std::string& newName) {
    Toolkit& toolkit = services_.toolkit;
    planner.keepRows();
    ui_.FraPro.setVisible(true);
    ui_.Label5.setCaption(newName + " existe déjà !");
    toolkit.processEventsUntil([this, &toolkit] {
        // Another command run meanwhile puts the pointer back when it ends.
        toolkit.setBusy(true);
        return !ui_.FraPro.visible() || closed_();
    });
    if (closed_())
        return false;
    planner.setTarget(ui_.File2.path(), ui_.File2.rows());
    return true;
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
void BatchRename::foresee(RenamePlanner& planner, BatchExecutor& executor, Foreseen& foreseen) {
    foreseen.items = planner.foresee(settings(), ui_.Rang, foreseen.reach);
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
    executor.announce(foreseen.told);
}

ItemOutcome BatchRename::walkOne(RenamePlanner& planner, BatchExecutor& executor,
                                 Foreseen& foreseen, PlannedItem& item) {
    // Only an observer needs the changes foreseen; without one, the run decides each file
    // as it comes.
    if (observer_ == nullptr) {
        item.rang = ui_.Rang;
        planner.next(settings(), item);
    } else {
        if (foreseen.next == foreseen.items.size())
            foresee(planner, executor, foreseen);
        item = std::move(foreseen.items[foreseen.next++]);
        ++foreseen.toldAt;
    }
    show(planner, item);
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
                             const std::vector<FileFailure>& failures) {
    toolkit.message(
        withSyncFailure(withFailures(FormatRenameResult(summary.done, listed), failures),
                        summary.syncError),
        summary.syncError == 0 ? Icon::None : Icon::Error, Buttons::Ok, title);
}

void BatchRename::run() {
    if (running_)
        return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    Toolkit& toolkit = services_.toolkit;
    toolkit.setBusy(true);
    const auto listed = static_cast<std::int64_t>(ui_.File1.rows().size());
    // The walk keeps the rows it began with; they name files of the folder they were read
    // from, whatever the source pane shows after a wait. Only the target folder follows
    // the user's changes, and it can change only while the run waits.
    RenamePlanner planner(services_.fs, ui_.File1.rows(), takenRows(), ui_.File1.path());
    if (const std::string why = runRefusal(settings(), static_cast<std::int64_t>(planner.size()));
        !why.empty())
        return refuse(why);
    planner.setTarget(ui_.File2.path(), ui_.File2.rows());
    planner.prepare(settings());

    BatchExecutor executor(services_.fs, observer_,
                           [&toolkit](const std::string& text) { toolkit.showProgress(text); });
    executor.begin(
        {BatchKind::RenameRun, ui_.File1.path(), ui_.File2.path(), services_.clock.now()},
        planner.size());
    std::vector<FileFailure> failures;
    bool renamedSinceRead = false;
    // Each file's date is read once, whether the walk foresees it or not.
    planner.keepStamps();
    Foreseen foreseen;
    PlannedItem item;
    while (!planner.atEnd()) {
        const ItemOutcome outcome = walkOne(planner, executor, foreseen, item);
        if (executor.stopped())
            break;
        if (outcome.outcome == Outcome::Done)
            renamedSinceRead = true;
        else if (outcome.outcome != Outcome::Collision)
            failures.push_back({planner.name(item), outcome.error, outcome.reason});
        if (outcome.outcome != Outcome::Collision || ui_.Check1.value())
            continue;
        // What the user looks at during the wait is what is on disk: the target list as it
        // would be after re-reading it at every rename.
        if (renamedSinceRead)
            ui_.File2.refresh();
        renamedSinceRead = false;
        if (!waitOnCollision(planner, item.newName)) {
            executor.finish();
            return finish();
        }
        // The user may have changed the panel or the files meanwhile.
        planner.keepStamps();
        foreseen = {};
    }
    const BatchSummary summary = executor.finish();
    ui_.File1.refresh();
    ui_.File2.refresh();
    panes_.writeTargetStatus();
    showResult(toolkit, summary, listed, failures);
    finish();
}

} // namespace quorvel
