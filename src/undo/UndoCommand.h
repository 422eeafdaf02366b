#pragma once

#include "batch/Batch.h"

#include <functional>
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
    FolderList& Dir1;
    FolderList& Dir2;
    FileList& File1;
    FileList& File2;
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

    UndoControls ui_;
    UndoServices services_;
    bool asked_ = false; // this batch's user already chose to go on without undo
};

} // namespace quorvel
