#pragma once

#include "batch/Batch.h"
#include "platform/CaptureDates.h"
#include "rename/NameSet.h"
#include "rename/Scheme.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

class CaptureDates;
class FileSystem;
struct CameraOffsets;

// What the run takes from the rename panel. It is read again after every wait, since the
// user may change the panel meanwhile.
struct RunSettings {
    Scheme scheme = Scheme::None;
    std::string generic;    // Nom
    bool startTyped = true; // Text2 holds something
    std::int64_t start = 0;
    std::int64_t step = 0;
    int digits = 0;
    std::string type; // the target type, Combo3
    // Where the photos' capture dates come from while the option asks for them, else null.
    CaptureDates* captureDates = nullptr;
    // The walk takes the files in capture order (capture date through `reader` when there is
    // one, else file date; ties in list order) rather than in list order.
    bool captureOrder = false;
    CaptureDates* reader = nullptr;
    // Schemes 3 and 4: the files that would meet on a name for being taken in the same
    // second are told apart by "_1", "_2"... before the type.
    bool sameSecond = false;
    // Corrections of the cameras' clocks; null for none.
    std::shared_ptr<const CameraOffsets> offsets;
};

// Why the run refuses the whole batch of `count` files before touching any, empty when
// it does not.
std::string runRefusal(const RunSettings& settings, std::int64_t count);

// One file of the run as the plan sees it before the disk is asked. Each field is set only
// once the walk has got that far, as the window's variables of the same meaning are.
struct PlannedItem {
    std::size_t row = 0;
    std::int64_t rang = 0; // kept from the previous item unless hasRang
    bool hasRang = false;
    bool hasNumber = false;
    std::string number; // Frang
    bool hasNewName = false;
    std::string newName;
    // Done: to be renamed or copied; Collision: the name is listed; Refused or Failed:
    // no name could be made (reason or error says why).
    ItemOutcome predicted;
    WorkItem change; // full paths, set with the new name
    // What the preview adds to its remark: the camera offset applied to the file's date.
    std::string note;
};

// The walk of "Renommer !" over its files: names each one by the run's rules (numbers that
// advance only on a rename, names checked against the target list and the files renamed
// before), and follows each outcome. The run performs what it plans; the preview only
// plans, against the same names.
class RenamePlanner {
public:
    // rows: the source list, read from sourceFolder; taken: the rows to walk, in order.
    RenamePlanner(FileSystem& fs, const std::vector<std::string>& rows, std::vector<int> taken,
                  const std::string& sourceFolder);

    // The target folder and its listed names, at the start and after every wait.
    void setTarget(const std::string& targetFolder, const std::vector<std::string>& targetRows);
    // Copies the rows, so that another command may read the source list again.
    void keepRows();

    bool atEnd() const { return position_ >= taken_.size(); }
    std::size_t size() const { return taken_.size(); }
    const std::string& name(const PlannedItem& item) const { return (*rows_)[item.row]; }
    const std::string& targetPrefix() const { return targetPrefix_; }
    std::int64_t renamed() const { return renamed_; }

    // Plans the file at the walk's position; item.rang comes in as the last number used.
    void next(const RunSettings& settings, PlannedItem& item);
    // Moves on past the item, which ended as `outcome`.
    void settle(const PlannedItem& item, Outcome outcome);
    // Walks to the end without the disk, each file ending as foreseen.
    void followToEnd(const RunSettings& settings,
                     const std::function<void(const PlannedItem& item)>& each);
    // The next `reach` files of the walk as followToEnd plans them; the walk then stands
    // where it stood and may take the items as planned. rang: the last number used.
    std::vector<PlannedItem> foresee(const RunSettings& settings, std::int64_t rang,
                                     std::size_t reach);
    // From now on, the time stamps read by this planner or any copy of it are kept for the
    // others, so that a walk that first foresees the rest reads each file's date once. A
    // wait starts afresh, as the user may change a file meanwhile; the first call after
    // prepare keeps what prepare read.
    void keepStamps();
    // Before the walk: puts the files in capture order and numbers the shots of one second
    // as the settings ask, reading each file's date once for the walk too. Does nothing
    // when they ask neither.
    void prepare(const RunSettings& settings);

private:
    // The time a file's stamp is made of rather than its text, a few bytes a file for a
    // batch of a million.
    struct Stamp {
        bool read = false;
        bool fromCapture = false;
        bool dated = false; // else no date could be read: error says why
        int error = 0;
        CaptureTime time;
        std::int64_t offset = 0; // of the camera's clock, applied to a capture date
        std::string text() const;
        std::string note() const;
    };
    // What prepare settles for each file of the walk, by position: its note, and its
    // "_1", "_2"... with the stamp it was given for.
    struct Prepared {
        std::string note;
        std::string stamp;
        std::string suffix;
    };
    struct Dated;

    struct TargetChange {
        bool added; // else removed
        std::string name;
    };

    bool number(const RunSettings& settings, PlannedItem& item) const;
    // Plans and settles up to `reach` files, each ending as foreseen, and hands each on;
    // item.rang comes in as the last number used.
    void walk(const RunSettings& settings, PlannedItem& item, std::size_t reach,
              const std::function<void(PlannedItem& item)>& each);
    // The same, kept.
    std::vector<PlannedItem> walkAhead(const RunSettings& settings, std::int64_t rang,
                                       std::size_t reach);
    // The target names change through these, which note each change while foreseeing.
    void addTarget(const std::string& name);
    void removeTarget(const std::string& name, std::size_t row);
    const Stamp& stampAt(const RunSettings& settings, const std::string& path);
    Stamp stampOf(const RunSettings& settings, const std::string& path);
    Dated dated(const RunSettings& settings, const std::string& path, bool forStamp);
    void numberSameSecond(std::vector<Prepared>& prepared) const;

    FileSystem& fs_;
    const std::vector<std::string>* rows_;
    // Shared by the copies that foresee the walk, which only read it.
    std::shared_ptr<const std::vector<std::string>> keptRows_;
    std::vector<int> taken_;
    std::size_t position_ = 0;
    std::int64_t renamed_ = 0;
    std::string sourcePrefix_;
    std::string sourceFolder_;
    std::string targetPrefix_;
    bool inPlace_ = false;
    NameSet targets_;
    std::vector<TargetChange>* undoLog_ = nullptr; // while foreseeing
    std::shared_ptr<std::vector<Stamp>> stamps_;
    bool freshStamps_ = false; // read by prepare, not yet taken by keepStamps
    std::shared_ptr<const std::vector<Prepared>> prepared_;
};

// The preview's question: what the run would do now, computed without touching the disk.
// A file of the answer, handed on as the walk gets to it and good for that call only: a
// plan of a million files is never held whole.
struct PlanRow {
    const std::string& name;
    const std::string& newName; // empty when the file gets none
    const ItemOutcome& outcome;
    const std::string& note; // PlannedItem::note
};
using PlanRows = std::function<void(const PlanRow& row)>;
struct RunPlan {
    std::string refusal; // the run's refusal of the whole batch; rows then have no new name
    std::int64_t renamed = 0;
};
// Everything the run reads from the window before it begins, copied so that it can be
// planned away from the window.
struct RunInputs {
    RunSettings settings;
    std::shared_ptr<const std::vector<std::string>> rows;
    std::vector<int> taken;
    std::string sourceFolder;
    std::string targetFolder;
    // The same as rows when both lists show the same names, as when renaming in place.
    std::shared_ptr<const std::vector<std::string>> targetRows;
};
RunPlan planRun(FileSystem& fs, const RunInputs& inputs, const PlanRows& each);

} // namespace quorvel
