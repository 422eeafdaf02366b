#include "preview/Preview.h"

#include "controls/Controls.h"
#include "controls/Errors.h"
#include "controls/FormHost.h"
#include "platform/Toolkit.h"
#include "preview/KnownTimes.h"

#include <condition_variable>
#include <initializer_list>
#include <mutex>
#include <utility>

namespace quorvel {

struct Preview::Job {
    RunInputs inputs;
    std::int64_t listed = 0;
    RunPlan plan;
    PlanTable table;
    std::mutex mutex;
    std::condition_variable ended;
    bool working = true;
};

Preview::Preview(const PreviewControls& controls, PreviewServices services)
    : ui_(controls), services_(std::move(services)) {
    ui_.mnuApercu.onClick = [this] { show(); };
    // Everything the run reads from the window. A list ends every re-read by telling of its
    // selection, so the disk after any of the program's operations is seen through it.
    for (Control* control :
         std::initializer_list<Control*>{&ui_.sourceFiles, &ui_.targetFiles, &ui_.genericName,
                                         &ui_.startIndex, &ui_.stepBox, &ui_.targetType})
        watch(*control);
    for (OptionButton* option : ui_.schemeOptions)
        watch(*option);
    for (OptionButton* option : ui_.digitOptions)
        watch(*option);
    // A ticked menu item is an option the run may read (the capture dates).
    for (const auto& control : ui_.window.controls()) {
        if (control->kind() == ControlKind::MenuItem)
            watch(*control);
    }
}

void Preview::watch(Control& control) {
    std::function<void(Change)> seen;
    if (control.kind() == ControlKind::FileList) {
        seen = [this](Change change) {
            if (change == Change::Selection)
                changed();
        };
    } else if (control.kind() == ControlKind::OptionButton) {
        // Their captions follow the panel on every key; only a choice matters here.
        auto& option = static_cast<OptionButton&>(control);
        seen = [this, &option, was = option.value()](Change) mutable {
            if (std::exchange(was, option.value()) != option.value())
                changed();
        };
    } else if (control.kind() == ControlKind::MenuItem) {
        auto& item = static_cast<MenuItem&>(control);
        seen = [this, &item, was = item.checked()](Change) mutable {
            if (std::exchange(was, item.checked()) != item.checked())
                changed();
        };
    } else {
        seen = [this](Change) { changed(); };
    }
    subscriptions_.emplace_back(&control, control.subscribe(std::move(seen)));
}

Preview::~Preview() {
    for (const auto& [control, id] : subscriptions_)
        control->unsubscribe(id);
    // The planning reads the file system, which may go away after the window.
    if (job_) {
        std::unique_lock lock(job_->mutex);
        job_->ended.wait(lock, [this] { return !job_->working; });
    }
}

std::string Preview::summary(std::int64_t renamed, std::int64_t listed, std::int64_t collisions) {
    std::string text = std::to_string(renamed) + " fichiers seront renommés sur les " +
                       std::to_string(listed) + " présents";
    if (collisions > 0)
        text += " (" + std::to_string(collisions) + " existent déjà)";
    return text + ".";
}

std::string Preview::copyNote(const std::string& targetFolder) {
    return " Les originaux restent en place : copie vers " + targetFolder + ".";
}

void Preview::PlanTable::add(const PlanRow& row) {
    const Outcome outcome = row.outcome.outcome;
    const bool collides = outcome == Outcome::Collision;
    cells.add(row.name);
    cells.add(row.newName);
    std::string remark;
    if (collides)
        remark = "existe déjà";
    else if (outcome != Outcome::Done)
        remark = row.outcome.reason.empty() ? frenchReason(row.outcome.error) : row.outcome.reason;
    // The camera offset that moved the file's date, in its order or in its name.
    if (!row.note.empty())
        remark += (remark.empty() ? "" : ", ") + row.note;
    cells.add(remark);
    marked.push_back(collides ? 1 : 0);
    collisions += collides ? 1 : 0;
}

void Preview::create() {
    closed_.reset();
    form_ = std::make_unique<Form>("Apercu", 9000, 6000);
    Form& f = *form_;
    f.setCaption("Aperçu du lot");
    f.add<Table>("Liste", &f, Geometry{120, 120, 8760, 5160},
                 std::vector<std::string>{"Fichier", "Nouveau nom", "Remarque"})
        .setAccessibleName("Aperçu du lot");
    f.add<Label>("Resume", &f, Geometry{120, 5400, 8760, 480});
    f.onClose = [this] { close(); };
}

void Preview::show() {
    if (!form_) {
        create();
        changed();
    }
    services_.forms.showForm(*form_);
}

void Preview::close() {
    if (!form_)
        return;
    services_.forms.destroyForm(*form_);
    closed_ = std::move(form_);
}

void Preview::changed() {
    if (!form_)
        return;
    if (planning_) {
        stale_ = true;
        return;
    }
    start();
}

void Preview::start() {
    stale_ = false;
    planning_ = true;
    if (!times_ || timesFolder_ != ui_.sourceFiles.path() ||
        timesGeneration_ != ui_.sourceFiles.generation()) {
        times_ = std::make_shared<KnownTimes>(services_.fs);
        timesFolder_ = ui_.sourceFiles.path();
        timesGeneration_ = ui_.sourceFiles.generation();
    }
    auto job = std::make_shared<Job>();
    job->inputs = services_.runInputs();
    job->listed = ui_.sourceFiles.count();
    job_ = job;
    services_.toolkit.runInBackground(
        [times = times_, job] {
            PlanTable table;
            table.cells.reserve(3 * job->inputs.taken.size());
            table.marked.reserve(job->inputs.taken.size());
            RunPlan plan =
                planRun(*times, job->inputs, [&table](const PlanRow& row) { table.add(row); });
            const std::lock_guard lock(job->mutex);
            job->plan = std::move(plan);
            job->table = std::move(table);
            job->working = false;
            job->ended.notify_all();
        },
        // Only the preview keeps its jobs alive: once it is gone, so is the job.
        [this, weak = std::weak_ptr<Job>(job)] {
            if (const std::shared_ptr<Job> done = weak.lock(); done && done == job_) {
                planning_ = false;
                finished(done);
            }
        });
}

void Preview::finished(const std::shared_ptr<Job>& job) {
    if (!form_)
        return;
    if (stale_)
        return start();
    const RunPlan& plan = job->plan;
    PlanTable& table = job->table;
    std::string resume =
        plan.refusal.empty() ? summary(plan.renamed, job->listed, table.collisions) : plan.refusal;
    if (plan.refusal.empty() && job->inputs.sourceFolder != job->inputs.targetFolder)
        resume += copyNote(job->inputs.targetFolder);
    form_->find("Resume")->setCaption(resume);
    static_cast<Table*>(form_->find("Liste"))
        ->setRows(std::move(table.cells), std::move(table.marked));
}

} // namespace quorvel
