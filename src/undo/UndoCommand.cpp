#include "undo/UndoCommand.h"

#include "app/Controls.h"
#include "app/Errors.h"
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

void UndoCommand::refresh() {
    ui_.mnuAnnuler.setEnabled(findUndoable(services_.journal, services_.fs).has_value());
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

void UndoCommand::undo() {
    Toolkit& toolkit = services_.toolkit;
    // A run waiting on its problem panel is still writing its own batch.
    if (services_.runWaiting())
        return toolkit.beep();
    std::vector<std::string> unreadable;
    std::optional<UndoableBatch> found = findUndoable(services_.journal, services_.fs, &unreadable);
    for (const std::string& file : unreadable)
        toolkit.message("Le journal d'annulation « " + file +
                            " » est illisible : il est laissé de côté.",
                        Icon::Error, Buttons::Ok, title);
    if (!found) {
        ui_.mnuAnnuler.setEnabled(false);
        return;
    }
    if (found->damaged)
        toolkit.message("Le journal du dernier lot est endommagé : seules les modifications "
                        "inscrites avant l'endroit abîmé peuvent être annulées.",
                        Icon::Error, Buttons::Ok, title);
    const std::string total = std::to_string(found->steps.size());
    for (int i = 0; i < 3; ++i)
        toolkit.beep();
    const Reply reply =
        toolkit.message("Annuler le dernier lot :\r\n" + total + " fichiers, le " +
                            when(found->batch.info.began) + "\r\n" + found->batch.info.targetFolder,
                        Icon::Question, Buttons::YesNo, " Annuler le dernier lot?");
    if (reply != Reply::Yes)
        return;
    toolkit.setBusy(true);
    const UndoResult result = quorvel::undo(services_.journal, services_.fs, *found);
    showPanesAfter(result);
    toolkit.setBusy(false);
    std::vector<FileFailure> failures;
    for (const UndoFailure& failure : result.failures)
        failures.push_back({failure.name, failure.error, failure.reason});
    std::string text = withFailures(std::to_string(result.restored) +
                                        " fichiers ont été rétablis sur les " + total + " du lot.",
                                    failures);
    if (result.journalError)
        text += "\r\nLe journal d'annulation n'a pas pu être mis à jour : " +
                frenchReason(result.journalError->code);
    toolkit.message(text, Icon::None, Buttons::Ok, title);
    refresh();
}

void UndoCommand::showPanesAfter(const UndoResult& result) {
    for (const auto& [from, to] : result.folders) {
        for (FolderList* folders : {&ui_.Dir1, &ui_.Dir2}) {
            if (const std::string path = movedPath(folders->path(), from, to); !path.empty())
                folders->setPath(path);
        }
    }
    ui_.Dir1.refresh();
    ui_.Dir2.refresh();
    ui_.File1.refresh();
    ui_.File2.refresh();
    services_.panes.writeTargetStatus();
}

} // namespace quorvel
