#pragma once

#include "batch/Batch.h"

#include <functional>
#include <memory>
#include <string>

namespace quorvel {

class FileList;
class FileSystem;
class FolderList;
class Journal;
class MenuItem;
class Panes;
class Toolkit;
struct UndoResult;

// The menu item, and the panes that show the disk once a batch is taken back.
struct UndoControls {
    MenuItem& mnuAnnuler;
    FolderList& sourceFolders;
    FolderList& targetFolders;
    FileList& sourceFiles;
    FileList& targetFiles;
};

// What undo uses besides its controls.
struct UndoServices {
    Toolkit& toolkit;
    FileSystem& fs;
    Journal& journal;
    Panes& panes;
    // Whether a rename run waits on its problem panel, in the middle of its own batch.
    std::function<bool()> runWaiting;
};

// "Annuler le dernier lot": every batch of the window goes through it to the journal, and
// the menu item is greyed while nothing can be undone.
class UndoCommand : public BatchObserver {
public:
    UndoCommand(const UndoControls& controls, UndoServices services);
    ~UndoCommand() override;
    UndoCommand(const UndoCommand&) = delete;
    UndoCommand& operator=(const UndoCommand&) = delete;

    // Greys the item or not after a look at the journal.
    void refresh();

    void begins(const BatchInfo& info) override;
    void beforeGroup(std::span<const WorkItem> items) override;
    // While the journal cannot be written, asks once a batch whether to go on without undo.
    bool proceed() override;
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override;
    void ends(const BatchSummary& summary) override;

private:
    void undo();
    void showPanesAfter(const UndoResult& result);
    void tellResult(const UndoResult& result, const std::string& total, bool copies);
    // The journal of the batch under way: a batch made while a run waits on its panel
    // (an edit, a folder rename) has a record of its own, and the run goes on in its own.
    Journal& current();

    UndoControls ui_;
    UndoServices services_;
    int openBatches_ = 0;
    std::unique_ptr<Journal> nested_;
    bool asked_ = false;      // this batch's user already chose to go on without undo
    bool outerAsked_ = false; // the same, for the run a nested batch interrupted
};

} // namespace quorvel
