#pragma once

#include "batch/Batch.h"

#include <string>

namespace quorvel {

class Journal;
class MainWindow;
struct UndoResult;

// "Annuler le dernier lot": every batch of the window goes through it to the journal, and
// the menu item is greyed while nothing can be undone.
class UndoCommand : public BatchObserver {
public:
    UndoCommand(MainWindow& window, Journal& journal);

    // Greys the item or not after a look at the journal.
    void refresh();

    void begins(const BatchInfo& info) override;
    void beforeGroup(std::span<const WorkItem> items) override;
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override;
    void ends(const BatchSummary& summary) override;

private:
    void undo();
    void showPanesAfter(const UndoResult& result);

    MainWindow& w_;
    Journal& journal_;
};

} // namespace quorvel
