#include "undo/UndoCommand.h"

#include "controls/Controls.h"
#include "controls/Errors.h"
#include "journal/Undo.h"
#include "panes/Panes.h"
#include "platform/Toolkit.h"

#include <cstdio>
#include <ctime>
#include <utility>

namespace quorvel {

namespace {

const char* const title = "Annuler";

std::string when(std::time_t began) {
    std::tm local{};
    localtime_r(&began, &local);
    char text[80];
    std::snprintf(text, sizeof text, "%02d/%02d/%04d à %02d:%02d", local.tm_mday, local.tm_mon + 1,
                  local.tm_year + 1900, local.tm_hour, local.tm_min);
    return text;
}

// The folder a pane shows once a renamed folder has its old name back.
std::string movedPath(const std::string& path, const std::string& from, const std::string& to) {
    if (path == from)
        return to;
    if (path.size() > from.size() && path.compare(0, from.size(), from) == 0 &&
        path[from.size()] == '/')
        return to + path.substr(from.size());
    return {};
}

} // namespace

UndoCommand::UndoCommand(const UndoControls& controls, UndoServices services)
    : ui_(controls), services_(std::move(services)) {
    ui_.mnuAnnuler.onClick = [this] { undo(); };
}

UndoCommand::~UndoCommand() = default;

Journal& UndoCommand::current() {
    return nested_ ? *nested_ : services_.journal;
}

void UndoCommand::begins(const BatchInfo& info) {
    if (openBatches_++ > 0 && !nested_) {
        nested_ = std::make_unique<Journal>(services_.journal.files(), services_.journal.folder());
        outerAsked_ = asked_;
    }
    asked_ = false;
    current().begins(info);
}

void UndoCommand::beforeGroup(std::span<const WorkItem> items) {
    current().beforeGroup(items);
}

bool UndoCommand::proceed() {
    const auto& failure = current().failure();
    if (!failure || asked_)
        return true;
    asked_ = true;
    const bool started = current().recordedChanges();
    return services_.toolkit.message(
               "Le journal d'annulation n'a pas pu être écrit (" + frenchReason(failure->code) +
                   ") : " +
                   (started ? "la suite de ce lot ne pourra pas être annulée.\r\nContinuer "
                            : "ce lot ne pourra pas être annulé.\r\nLe faire ") +
                   "quand même ?",
               Icon::Question, Buttons::YesNo, title) == Reply::Yes;
}

void UndoCommand::afterItem(const WorkItem& item, const ItemOutcome& outcome) {
    current().afterItem(item, outcome);
}

void UndoCommand::ends(const BatchSummary& summary) {
    Journal& journal = current();
    journal.ends(summary);
    const bool recorded = journal.recordedChanges();
    const std::optional<SystemError> failure = journal.failure();
    const bool asked = asked_;
    if (--openBatches_ <= 1 && nested_) {
        nested_.reset();
        asked_ = outerAsked_;
    }
    if (recorded)
        ui_.mnuAnnuler.setEnabled(true);
    // A failure the user was asked about is not told again.
    if (failure && !asked)
        services_.toolkit.message("Le journal d'annulation n'a pas pu être écrit (" +
                                      frenchReason(failure->code) +
                                      ") : ce lot ne pourra pas être annulé.",
                                  Icon::Error, Buttons::Ok, title);
}

namespace {

// What the newer journals that undo passed over were, in one message for all of them.
void tellUnreadable(Toolkit& toolkit, const std::vector<std::string>& unreadable) {
    if (unreadable.empty())
        return;
    const std::string text = unreadable.size() == 1
                                 ? "Le journal d'annulation « " + unreadable.front() +
                                       " » est illisible : il est laissé de côté."
                                 : std::to_string(unreadable.size()) +
                                       " journaux d'annulation sont illisibles, dont « " +
                                       unreadable.front() + " » : ils sont laissés de côté.";
    toolkit.message(text, Icon::Error, Buttons::Ok, title);
}

// Why a newer batch is not the one offered; empty when none was passed over.
std::string passedOverText(const PassedOver& passed) {
    std::string text;
    if (passed.busy > 0)
        text += "\r\nLe lot le plus récent est en cours dans un autre exemplaire du programme : "
                "il ne peut pas être annulé maintenant.";
    if (passed.damaged > 0)
        text += "\r\nLe journal du lot le plus récent est endommagé : " +
                std::to_string(passed.damagedChanges) +
                " modifications ont pu y être lues, aucune ne peut être annulée.";
    return text;
}

bool onlyCopies(const UndoableBatch& found) {
    for (const std::uint32_t index : found.steps)
        if (found.batch.changes[index].kind != ChangeKind::Copy)
            return false;
    return true;
}

} // namespace

void UndoCommand::refresh() {
    PassedOver passed;
    const bool found = findUndoable(services_.journal, services_.fs, &passed).has_value();
    ui_.mnuAnnuler.setEnabled(found || passed.busy > 0);
}

void UndoCommand::undo() {
    Toolkit& toolkit = services_.toolkit;
    // A run waiting on its problem panel is still writing its own batch.
    if (services_.runWaiting())
        return toolkit.beep();
    PassedOver passed;
    std::optional<UndoableBatch> found = findUndoable(services_.journal, services_.fs, &passed);
    tellUnreadable(toolkit, passed.unreadable);
    const std::string passedOver = passedOverText(passed);
    if (!found) {
        if (!passedOver.empty())
            toolkit.message(passedOver.substr(2), Icon::Error, Buttons::Ok, title);
        ui_.mnuAnnuler.setEnabled(passed.busy > 0);
        return;
    }
    if (found->damaged)
        toolkit.message("Le journal du dernier lot est endommagé : " +
                            std::to_string(found->batch.changes.size()) +
                            " modifications ont pu y être lues, dont " +
                            std::to_string(found->steps.size()) +
                            " peuvent être annulées ; ce qui suivait l'endroit abîmé est perdu.",
                        Icon::Error, Buttons::Ok, title);
    const bool copies = onlyCopies(*found);
    const std::string total = std::to_string(found->steps.size());
    for (int i = 0; i < 3; ++i)
        toolkit.beep();
    const Reply reply = toolkit.message("Annuler le dernier lot :\r\n" + total +
                                            (copies ? " fichiers copiés, le " : " fichiers, le ") +
                                            when(found->batch.info.began) + "\r\n" +
                                            found->batch.info.targetFolder + passedOver,
                                        Icon::Question, Buttons::YesNo, " Annuler le dernier lot?");
    if (reply != Reply::Yes)
        return;
    const UndoResult result = [&] {
        const BusyPointer busy(toolkit);
        UndoResult undone = quorvel::undo(services_.journal, services_.fs, *found);
        showPanesAfter(undone);
        return undone;
    }();
    tellResult(result, total, copies);
    refresh();
}

void UndoCommand::tellResult(const UndoResult& result, const std::string& total, bool copies) {
    std::vector<FileFailure> failures;
    for (const UndoFailure& failure : result.failures)
        failures.push_back({failure.name, failure.error, failure.reason});
    std::string text = withFailures(
        std::to_string(result.restored) +
            (copies ? " copies ont été retirées sur les " : " fichiers ont été rétablis sur les ") +
            total + " du lot.",
        failures);
    if (result.journalError)
        text += "\r\nLe journal d'annulation n'a pas pu être mis à jour : " +
                frenchReason(result.journalError->code);
    services_.toolkit.message(text, Icon::None, Buttons::Ok, title);
}

void UndoCommand::showPanesAfter(const UndoResult& result) {
    for (const auto& [from, to] : result.folders) {
        for (FolderList* folders : {&ui_.sourceFolders, &ui_.targetFolders}) {
            if (const std::string path = movedPath(folders->path(), from, to); !path.empty())
                folders->setPath(path);
        }
    }
    ui_.sourceFolders.refresh();
    ui_.targetFolders.refresh();
    ui_.sourceFiles.refresh();
    ui_.targetFiles.refresh();
    services_.panes.writeTargetStatus();
}

} // namespace quorvel
