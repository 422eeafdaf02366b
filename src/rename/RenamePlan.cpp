#include "rename/RenamePlan.h"

#include "controls/Errors.h"
#include "platform/FileSystem.h"
#include "rename/CameraClock.h"
#include "rename/NameComposer.h"
#include "text/NameCheck.h"
#include "text/Paths.h"
#include "text/Patterns.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <unordered_map>
#include <utility>

namespace quorvel {

namespace {

const char* const range = "de -32768 à 32767";

bool usesGeneric(Scheme scheme) {
    return scheme == Scheme::NumberThenGeneric || scheme == Scheme::GenericThenNumber ||
           scheme == Scheme::NumberInParentheses;
}
bool usesNumber(Scheme scheme) {
    return scheme != Scheme::TimeStamp;
}
bool usesStamp(Scheme scheme) {
    return scheme == Scheme::TimeStamp || scheme == Scheme::NumberThenTimeStamp;
}
// The run's numbers are those of a 16-bit counter.
bool fits(std::int64_t value) {
    return value >= -32768 && value <= 32767;
}

std::string characterText(char c) {
    return c == '\0' ? std::string("un caractère nul")
                     : "le caractère « " + std::string(1, c) + " »";
}

// The numbers run evenly from the first to the last: when both ends fit, all fit, and the
// longest number text is at one end.
std::string numbersRefusal(const RunSettings& s, std::int64_t count,
                           std::vector<std::int64_t>& numbers) {
    if (!fits(s.start))
        return "Le numéro de départ " + std::to_string(s.start) + " doit être compris " + range +
               ".";
    if (!fits(s.step))
        return "L'incrément " + std::to_string(s.step) + " doit être compris " + range + ".";
    if (count > 1) {
        const std::int64_t last = s.start + (count - 1) * s.step;
        if (!fits(last))
            return "Le dernier des " + std::to_string(count) + " fichiers recevrait le numéro " +
                   std::to_string(last) + ", hors de la plage " + range +
                   ". Choisissez un autre numéro de départ ou un autre incrément.";
        numbers.push_back(last);
    }
    return {};
}

std::string offsetNote(std::int64_t offset) {
    return offset == 0 ? std::string() : "décalage " + offsetText(offset);
}

} // namespace

std::string RenamePlanner::Stamp::text() const {
    return dated ? NameComposer::timeStamp(time) : std::string();
}

std::string RenamePlanner::Stamp::note() const {
    return offsetNote(offset);
}

// The time stamp of schemes 3 and 4: the photo's capture date, corrected by its camera's
// offset, when the option asks for it and the file has one, else its modification time.
// Undated when neither can be read, with the error of the failed read.
RenamePlanner::Stamp RenamePlanner::stampOf(const RunSettings& s, const std::string& path) {
    Stamp stamp;
    stamp.read = true;
    stamp.fromCapture = s.captureDates != nullptr;
    if (s.captureDates != nullptr) {
        const ShiftedCapture taken = shiftedCapture(*s.captureDates, s.offsets.get(), path);
        if (taken.time) {
            stamp.dated = true;
            stamp.time = *taken.time;
            stamp.offset = taken.offset;
            return stamp;
        }
    }
    const Result<std::int64_t> seconds = fs_.modificationTime(path);
    stamp.error = seconds.code();
    const std::optional<CaptureTime> local =
        seconds ? NameComposer::localTime(static_cast<std::time_t>(seconds.value())) : std::nullopt;
    stamp.dated = local.has_value();
    stamp.time = local.value_or(CaptureTime{});
    return stamp;
}

std::string runRefusal(const RunSettings& s, std::int64_t count) {
    if (s.generic.empty())
        return "Le nom générique n'est pas défini";
    if (!s.startTyped)
        return "Le numéro d'ordre n'est pas défini";
    if (usesGeneric(s.scheme)) {
        if (const auto c = forbiddenTypedCharacter(s.generic))
            return "Le nom générique contient " + characterText(*c) +
                   ", interdit dans un nom de fichier.";
    }
    if (const auto c = forbiddenTypedCharacter(s.type))
        return "L'extension cible contient " + characterText(*c) +
               ", interdit dans un nom de fichier. Choisissez une extension précise.";

    std::vector<std::int64_t> numbers{s.start};
    if (usesNumber(s.scheme)) {
        if (std::string why = numbersRefusal(s, count, numbers); !why.empty())
            return why;
    }
    for (const std::int64_t number : numbers) {
        const std::string sample = NameComposer::composeName(
            s.scheme, s.generic, NameComposer::numberText(number, s.digits), "0000_00_00_000000",
            s.type, true);
        if (sample.size() > 255)
            return "Les nouveaux noms feraient jusqu'à " + std::to_string(sample.size()) +
                   " octets, alors qu'un nom de fichier en compte 255 au plus. Raccourcissez le "
                   "nom générique ou l'extension.";
        if (const char* problem = nameProblem(sample))
            return std::string("Les nouveaux noms seraient refusés : ") + problem;
    }
    return {};
}

RenamePlanner::RenamePlanner(FileSystem& fs, const std::vector<std::string>& rows,
                             std::vector<int> taken, const std::string& sourceFolder)
    : fs_(fs), rows_(&rows), taken_(std::move(taken)),
      sourcePrefix_(joinPath(dropTrailingSeparator(sourceFolder), "")),
      sourceFolder_(dropTrailingSeparator(sourceFolder)) {}

void RenamePlanner::setTarget(const std::string& targetFolder,
                              const std::vector<std::string>& targetRows) {
    const std::string folder = dropTrailingSeparator(targetFolder);
    inPlace_ = folder == sourceFolder_;
    targetPrefix_ = joinPath(folder, "");
    targets_.assign(targetRows);
}

void RenamePlanner::keepRows() {
    if (!keptRows_) {
        keptRows_ = std::make_shared<const std::vector<std::string>>(*rows_);
        rows_ = keptRows_.get();
    }
}

// The number the file would get; false, with the item refused, when it has none in range.
bool RenamePlanner::number(const RunSettings& s, PlannedItem& item) const {
    const bool numbersFit = fits(s.start) && fits(s.step);
    item.hasRang = numbersFit;
    if (numbersFit)
        item.rang = s.start + renamed_ * s.step;
    if (usesNumber(s.scheme) && !(numbersFit && fits(item.rang))) {
        item.predicted = {Outcome::Refused, 0,
                          (numbersFit ? "numéro " + std::to_string(item.rang)
                                      : std::string("numéro de départ ou incrément")) +
                              " hors de la plage " + range};
        return false;
    }
    item.hasNumber = true;
    item.number = NameComposer::numberText(item.rang, s.digits);
    return true;
}

void RenamePlanner::keepStamps() {
    if (freshStamps_) {
        freshStamps_ = false;
        return;
    }
    stamps_ = std::make_shared<std::vector<Stamp>>(taken_.size());
}

// One file's date for the order, and its stamp when the scheme wants one, with each
// source read once.
struct RenamePlanner::Dated {
    std::int64_t key = std::numeric_limits<std::int64_t>::max(); // unreadable ones last
    Stamp stamp;
    std::string note;
};

RenamePlanner::Dated RenamePlanner::dated(const RunSettings& s, const std::string& path,
                                          bool forStamp) {
    Dated d;
    CaptureDates* dates = forStamp && s.captureDates != nullptr ? s.captureDates
                          : s.captureOrder                      ? s.reader
                                                                : nullptr;
    ShiftedCapture taken;
    if (dates != nullptr)
        taken = shiftedCapture(*dates, s.offsets.get(), path);
    const bool stampTaken = forStamp && s.captureDates != nullptr && taken.time;
    if (taken.time && (s.captureOrder || stampTaken)) {
        d.key = calendarSeconds(*taken.time);
        d.note = offsetNote(taken.offset);
    }
    if (stampTaken) {
        d.stamp = {true, true, true, 0, *taken.time, taken.offset};
    } else if (forStamp || (s.captureOrder && !taken.time)) {
        const Result<std::int64_t> seconds = fs_.modificationTime(path);
        const auto time = static_cast<std::time_t>(seconds ? seconds.value() : 0);
        const std::optional<CaptureTime> local =
            seconds ? NameComposer::localTime(time) : std::nullopt;
        if (s.captureOrder && !taken.time && local)
            d.key = calendarSeconds(*local);
        if (forStamp)
            d.stamp = {true,           s.captureDates != nullptr,     local.has_value(),
                       seconds.code(), local.value_or(CaptureTime{}), 0};
    }
    return d;
}

// The files of the batch whose stamps meet, when the scheme names them by the stamp alone
// (scheme 3, or 4 with numbers that do not advance), get "_1", "_2"... in walk order, which
// is capture order and then list order.
void RenamePlanner::numberSameSecond(std::vector<Prepared>& prepared) const {
    std::unordered_map<std::string, int> counts, given;
    for (const Prepared& p : prepared) {
        if (!p.stamp.empty())
            ++counts[p.stamp];
    }
    for (Prepared& p : prepared) {
        if (!p.stamp.empty() && counts[p.stamp] > 1)
            p.suffix = "_" + std::to_string(++given[p.stamp]);
    }
}

void RenamePlanner::prepare(const RunSettings& s) {
    const bool sameSecond =
        s.sameSecond && (s.scheme == Scheme::TimeStamp ||
                         (s.scheme == Scheme::NumberThenTimeStamp && s.step == 0 && fits(s.start)));
    if (!s.captureOrder && !sameSecond)
        return;
    const bool forStamp = usesStamp(s.scheme);
    std::vector<Dated> all;
    all.reserve(taken_.size());
    for (const int row : taken_)
        all.push_back(dated(s, sourcePrefix_ + (*rows_)[static_cast<std::size_t>(row)], forStamp));
    std::vector<std::size_t> order(taken_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (s.captureOrder) {
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return all[a].key != all[b].key ? all[a].key < all[b].key : taken_[a] < taken_[b];
        });
    }
    std::vector<int> walk;
    walk.reserve(order.size());
    auto stamps = std::make_shared<std::vector<Stamp>>();
    stamps->reserve(order.size());
    std::vector<Prepared> prepared;
    prepared.reserve(order.size());
    for (const std::size_t k : order) {
        walk.push_back(taken_[k]);
        prepared.push_back({all[k].note, sameSecond ? all[k].stamp.text() : std::string(), {}});
        stamps->push_back(all[k].stamp);
    }
    numberSameSecond(prepared);
    taken_ = std::move(walk);
    stamps_ = std::move(stamps);
    freshStamps_ = true;
    prepared_ = std::make_shared<const std::vector<Prepared>>(std::move(prepared));
}

const RenamePlanner::Stamp& RenamePlanner::stampAt(const RunSettings& s, const std::string& path) {
    thread_local Stamp fresh;
    Stamp& stamp = stamps_ ? (*stamps_)[position_] : fresh;
    const bool fromCapture = s.captureDates != nullptr;
    if (!stamps_ || !stamp.read || stamp.fromCapture != fromCapture)
        stamp = stampOf(s, path);
    return stamp;
}

void RenamePlanner::next(const RunSettings& s, PlannedItem& item) {
    item.row = static_cast<std::size_t>(taken_[position_]);
    item.hasNumber = false;
    item.hasNewName = false;
    item.predicted = {};
    item.note.clear();
    const Prepared* prepared = prepared_ ? &(*prepared_)[position_] : nullptr;
    if (prepared != nullptr)
        item.note = prepared->note;
    item.change.source.assign(sourcePrefix_).append(name(item));
    item.change.kind = inPlace_ ? ChangeKind::Rename : ChangeKind::Copy;
    if (!number(s, item))
        return;

    std::string stamp;
    if (usesStamp(s.scheme)) {
        const Stamp& read = stampAt(s, item.change.source);
        stamp = read.text();
        if (read.offset != 0)
            item.note = read.note();
        // A suffix holds for the stamp it was given for: a file changed during a wait
        // keeps its new date alone.
        if (prepared != nullptr && !prepared->suffix.empty() && prepared->stamp == stamp)
            stamp += prepared->suffix;
        if (stamp.empty()) {
            const int error = read.error;
            item.predicted = {Outcome::Refused, error,
                              "date de modification illisible" +
                                  (error == 0 ? std::string() : " (" + frenchReason(error) + ")")};
            return;
        }
    }

    item.newName = NameComposer::composeName(s.scheme, s.generic, item.number, stamp, s.type, true);
    item.hasNewName = true;
    item.change.target.assign(targetPrefix_).append(item.newName);
    if (const char* problem = nameProblem(item.newName))
        item.predicted = {Outcome::Refused, 0, "nouveau nom refusé : " + std::string(problem)};
    else if (targets_.contains(item.newName))
        item.predicted.outcome = Outcome::Collision;
}

void RenamePlanner::settle(const PlannedItem& item, Outcome outcome) {
    ++position_;
    // A name the disk holds though the list does not show it stays taken: the files that
    // follow would be refused it too, and are told so without asking the disk again.
    if (outcome == Outcome::Collision && item.predicted.outcome == Outcome::Done)
        addTarget(item.newName);
    if (outcome != Outcome::Done)
        return;
    ++renamed_;
    // The target names follow each change as the target list would if it were read again.
    // A renamed file's row is where it stood in the source list, which is often the target
    // list itself. A name given in this batch stays taken even when the list would not show
    // it (a target type typed but not picked): the disk would refuse it to the next file,
    // and the preview must say so.
    if (inPlace_)
        removeTarget(name(item), item.row);
    addTarget(item.newName);
}

void RenamePlanner::walk(const RunSettings& settings, PlannedItem& item, std::size_t reach,
                         const std::function<void(PlannedItem& item)>& each) {
    for (; !atEnd() && reach > 0; --reach) {
        next(settings, item);
        settle(item, item.predicted.outcome);
        each(item);
    }
}

void RenamePlanner::followToEnd(const RunSettings& settings,
                                const std::function<void(const PlannedItem& item)>& each) {
    PlannedItem item;
    walk(settings, item, taken_.size(), each);
}

void RenamePlanner::addTarget(const std::string& name) {
    if (undoLog_ != nullptr && !targets_.contains(name))
        undoLog_->push_back({true, name});
    targets_.insert(name);
}

void RenamePlanner::removeTarget(const std::string& name, std::size_t row) {
    if (undoLog_ != nullptr && targets_.contains(name))
        undoLog_->push_back({false, name});
    targets_.erase(name, row);
}

std::vector<PlannedItem> RenamePlanner::walkAhead(const RunSettings& settings, std::int64_t rang,
                                                  std::size_t reach) {
    std::vector<PlannedItem> planned;
    planned.reserve(std::min(reach, taken_.size() - position_));
    PlannedItem item;
    item.rang = rang;
    // Only its number carries over to the next file.
    walk(settings, item, reach,
         [&planned](PlannedItem& each) { planned.push_back(std::move(each)); });
    return planned;
}

// Looking far ahead, a copy of the target names costs least: it is one block of memory.
// Looking a few files ahead, as after a surprise, the walk goes ahead on this planner and
// takes back what it changed, which costs only those files.
std::vector<PlannedItem> RenamePlanner::foresee(const RunSettings& settings, std::int64_t rang,
                                                std::size_t reach) {
    if (reach >= targets_.size() / 8) {
        RenamePlanner copy = *this;
        return copy.walkAhead(settings, rang, reach);
    }
    struct Rewind {
        RenamePlanner& planner;
        std::size_t position;
        std::int64_t renamed;
        std::vector<TargetChange> log;
        ~Rewind() {
            planner.undoLog_ = nullptr;
            for (auto change = log.rbegin(); change != log.rend(); ++change) {
                if (change->added)
                    planner.targets_.erase(change->name);
                else
                    planner.targets_.insert(change->name);
            }
            planner.position_ = position;
            planner.renamed_ = renamed;
        }
    } rewind{*this, position_, renamed_, {}};
    undoLog_ = &rewind.log;
    return walkAhead(settings, rang, reach);
}

RunPlan planRun(FileSystem& fs, const RunInputs& in, const PlanRows& each) {
    RunPlan plan;
    plan.refusal = runRefusal(in.settings, static_cast<std::int64_t>(in.taken.size()));
    if (!plan.refusal.empty()) {
        const std::string none;
        const ItemOutcome untouched;
        for (const int row : in.taken)
            each({(*in.rows)[static_cast<std::size_t>(row)], none, untouched, none});
        return plan;
    }
    RenamePlanner planner(fs, *in.rows, in.taken, in.sourceFolder);
    planner.setTarget(in.targetFolder, *in.targetRows);
    planner.prepare(in.settings);
    const std::string none;
    planner.followToEnd(in.settings, [&](const PlannedItem& item) {
        each(
            {planner.name(item), item.hasNewName ? item.newName : none, item.predicted, item.note});
    });
    plan.renamed = planner.renamed();
    return plan;
}

} // namespace quorvel
