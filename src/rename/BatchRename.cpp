#include "rename/BatchRename.h"

#include "app/Errors.h"
#include "app/MainWindow.h"
#include "panes/Panes.h"
#include "platform/Names.h"
#include "rename/NameComposer.h"
#include "rename/NameSet.h"

#include <cerrno>
#include <chrono>
#include <optional>
#include <vector>

namespace quorvel {

namespace {

const char* const title = "Renommer";
const char* const range = "de -32768 à 32767";

bool usesGeneric(int scheme) {
    return scheme >= 0 && scheme <= 2;
}
bool usesNumber(int scheme) {
    return scheme != 3;
}
bool usesStamp(int scheme) {
    return scheme == 3 || scheme == 4;
}

// The first character of text that no file name may hold.
std::optional<char> forbiddenCharacter(const std::string& text) {
    for (const char c : text) {
        if (c == '/' || c == '*' || c == '?' || c == '\0')
            return c;
    }
    return std::nullopt;
}

std::string characterText(char c) {
    return c == '\0' ? std::string("un caractère nul")
                     : "le caractère « " + std::string(1, c) + " »";
}

// The names of the target list that the run looks new names up in. It follows each rename
// and copy as the target list would if it were read again.
class TargetNames {
public:
    void rebuild(const std::vector<std::string>& rows) { names_.assign(rows); }
    bool listed(const std::string& name) const { return names_.contains(name); }
    void added(const std::string& name, const std::string& pattern) {
        if (matchesPattern(name, pattern))
            names_.insert(name);
    }
    // row: where the name stood in the source list, which is often the target list itself.
    void removed(const std::string& name, std::size_t row) { names_.erase(name, row); }

private:
    NameSet names_;
};

// Shows how far a run has come once it has lasted long enough to be noticed, and not so
// often that the repaints slow it down.
class Progress {
public:
    explicit Progress(Toolkit& toolkit) : toolkit_(toolkit), started_(Clock::now()) {}
    void at(std::size_t done, std::size_t total) {
        const auto now = Clock::now();
        if (now - started_ < std::chrono::milliseconds(500) ||
            (shown_ && now - lastShown_ < std::chrono::milliseconds(100)))
            return;
        toolkit_.showProgress("Renommage : " + std::to_string(done) + " / " +
                              std::to_string(total));
        lastShown_ = now;
        shown_ = true;
    }
    void end() {
        if (shown_)
            toolkit_.showProgress("");
        shown_ = false;
    }

private:
    using Clock = std::chrono::steady_clock;
    Toolkit& toolkit_;
    Clock::time_point started_;
    Clock::time_point lastShown_;
    bool shown_ = false;
};

} // namespace

BatchRename::BatchRename(MainWindow& window) : w_(window) {
    w_.Command1.onClick = [this] { run(); };
    w_.Command2.onClick = [this] { w_.FraPro.setVisible(false); };
}

std::string BatchRename::FormatRenameResult(std::int64_t renamed, std::int64_t listed) {
    return std::to_string(renamed) + " fichiers ont été renommés sur les " +
           std::to_string(listed) + " présents.";
}

std::string BatchRename::refusal(std::int64_t count) const {
    const int scheme = w_.composer().selectedScheme();
    const std::string& type = w_.Combo3.text();
    if (usesGeneric(scheme)) {
        if (const auto c = forbiddenCharacter(w_.Nom))
            return "Le nom générique contient " + characterText(*c) +
                   ", interdit dans un nom de fichier.";
    }
    if (const auto c = forbiddenCharacter(type))
        return "L'extension cible contient " + characterText(*c) +
               ", interdit dans un nom de fichier. Choisissez une extension précise.";

    std::vector<std::int64_t> numbers{w_.Numero};
    if (usesNumber(scheme)) {
        if (!fitsInt16(w_.Numero))
            return "Le numéro de départ " + std::to_string(w_.Numero) + " doit être compris " +
                   range + ".";
        if (!fitsInt16(w_.Pas))
            return "L'incrément " + std::to_string(w_.Pas) + " doit être compris " + range + ".";
        // The numbers run evenly from the first to the last: both ends fit, all fit, and
        // the longest number text is at one end.
        if (count > 1) {
            const std::int64_t last = w_.Numero + (count - 1) * w_.Pas;
            if (!fitsInt16(last))
                return "Le dernier des " + std::to_string(count) +
                       " fichiers recevrait le numéro " + std::to_string(last) +
                       ", hors de la plage " + range +
                       ". Choisissez un autre numéro de départ ou un autre incrément.";
            numbers.push_back(last);
        }
    }
    const int digits = w_.composer().selectedDigits();
    for (const std::int64_t number : numbers) {
        const std::string sample =
            NameComposer::composeName(scheme, w_.Nom, NameComposer::numberText(number, digits),
                                      "0000_00_00_000000", type, true);
        if (sample.size() > 255)
            return "Les nouveaux noms feraient jusqu'à " + std::to_string(sample.size()) +
                   " octets, alors qu'un nom de fichier en compte 255 au plus. Raccourcissez le "
                   "nom générique ou l'extension.";
        if (const char* problem = nameProblem(sample))
            return std::string("Les nouveaux noms seraient refusés : ") + problem;
    }
    return {};
}

void BatchRename::refuse(const std::string& text) {
    Toolkit& toolkit = w_.toolkit();
    toolkit.message(text, Icon::Error, Buttons::Ok, title);
    toolkit.message(FormatRenameResult(0, 0), Icon::None, Buttons::Ok, title);
    finish();
}

void BatchRename::finish() {
    w_.Check1.setValue(false);
    w_.toolkit().setBusy(false);
}

std::string BatchRename::timeStampOf(const std::string& path, int& error) const {
    if (w_.exifDates && w_.services().captureDates != nullptr) {
        if (const auto taken = w_.services().captureDates->captureTime(path))
            return NameComposer::timeStamp(*taken);
    }
    std::int64_t seconds = 0;
    error = w_.fs().modificationTime(path, seconds);
    return error == 0 ? NameComposer::timeStamp(static_cast<std::time_t>(seconds)) : std::string();
}

void BatchRename::run() {
    if (running_)
        return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};

    Toolkit& toolkit = w_.toolkit();
    FileSystem& fs = w_.fs();
    toolkit.setBusy(true);
    if (w_.Nom.empty())
        return refuse("Le nom générique n'est pas défini");
    if (w_.Text2.text().empty())
        return refuse("Le numéro d'ordre n'est pas défini");

    // The walk keeps the rows it began with: another command may re-read File1 while the
    // run waits on the panel. Nothing else can, so they are copied only before a wait.
    const std::vector<std::string>* rows = &w_.File1.rows();
    std::vector<std::string> keptRows;
    const auto listed = static_cast<std::int64_t>(rows->size());
    std::vector<int> taken = w_.File1.selectedRows();
    if (taken.empty()) {
        taken.resize(rows->size());
        for (std::size_t i = 0; i < rows->size(); ++i)
            taken[i] = static_cast<int>(i);
    }
    if (const std::string why = refusal(static_cast<std::int64_t>(taken.size())); !why.empty())
        return refuse(why);

    TargetNames targets;
    targets.rebuild(w_.File2.rows());
    Progress progress(toolkit);
    std::vector<FileFailure> failures;
    std::int64_t renamed = 0;
    bool renamedSinceRead = false;
    // The rows name files of the folder they were read from, whatever the source pane
    // shows after a wait; only the target folder follows the user's changes, and it can
    // change only while the run waits.
    const std::string sourceFolder = dropTrailingSeparator(w_.File1.path());
    const std::string sourcePrefix = joinPath(sourceFolder, "");
    std::string targetPrefix;
    bool inPlace = false;
    const auto readTarget = [&] {
        const std::string targetFolder = dropTrailingSeparator(w_.File2.path());
        inPlace = sourceFolder == targetFolder;
        targetPrefix = joinPath(targetFolder, "");
    };
    readTarget();
    std::string source;
    for (std::size_t k = 0; k < taken.size(); ++k) {
        progress.at(k, taken.size());
        const std::string& name = (*rows)[static_cast<std::size_t>(taken[k])];
        source.assign(sourcePrefix).append(name);
        // Where the file is to be renamed, as the new name will be looked up there.
        w_.M.assign(targetPrefix).append(name);
        const int scheme = w_.composer().selectedScheme();

        // The start number and the increment may have been changed during a wait.
        const bool numbersFit = fitsInt16(w_.Numero) && fitsInt16(w_.Pas);
        if (numbersFit)
            w_.Rang = w_.Numero + renamed * w_.Pas;
        if (usesNumber(scheme) && !(numbersFit && fitsInt16(w_.Rang))) {
            failures.push_back({name, 0,
                                (numbersFit ? "numéro " + std::to_string(w_.Rang)
                                            : std::string("numéro de départ ou incrément")) +
                                    " hors de la plage " + range});
            continue;
        }
        w_.Frang = NameComposer::numberText(w_.Rang, w_.composer().selectedDigits());

        std::string stamp;
        if (usesStamp(scheme)) {
            int error = 0;
            stamp = timeStampOf(source, error);
            if (stamp.empty()) {
                failures.push_back(
                    {name, error,
                     "date de modification illisible" +
                         (error == 0 ? std::string() : " (" + frenchReason(error) + ")")});
                continue;
            }
        }

        const std::string newName =
            NameComposer::composeName(scheme, w_.Nom, w_.Frang, stamp, w_.Combo3.text(), true);
        w_.N.assign(targetPrefix).append(newName);
        if (const char* problem = nameProblem(newName)) {
            failures.push_back({name, 0, "nouveau nom refusé : " + std::string(problem)});
            continue;
        }

        bool collision = targets.listed(newName);
        if (!collision) {
            // Straight to the new name, never replacing: a file that another program gave
            // that name meanwhile is a collision like a listed one.
            const int error =
                inPlace ? fs.renameNoReplace(source, w_.N) : fs.copyNoReplace(source, w_.N);
            if (error == 0) {
                ++renamed;
                renamedSinceRead = true;
                if (inPlace)
                    targets.removed(name, static_cast<std::size_t>(taken[k]));
                targets.added(newName, w_.File2.pattern());
            } else if (error == EEXIST) {
                collision = true;
            } else {
                failures.push_back({name, error, {}});
            }
        }

        if (collision && !w_.Check1.value()) {
            // What the user looks at during the wait is what is on disk: the target list
            // as it would be after re-reading it at every rename.
            if (renamedSinceRead) {
                w_.File2.refresh();
                renamedSinceRead = false;
            }
            if (rows != &keptRows) {
                keptRows = *rows;
                rows = &keptRows;
            }
            w_.FraPro.setVisible(true);
            w_.Label5.setCaption(newName + " existe déjà !");
            toolkit.processEventsUntil([this, &toolkit] {
                // Another command run meanwhile puts the pointer back when it ends.
                toolkit.setBusy(true);
                return !w_.FraPro.visible() || w_.closed();
            });
            if (w_.closed()) {
                progress.end();
                return finish();
            }
            readTarget();
            targets.rebuild(w_.File2.rows());
            renamedSinceRead = false;
        }
    }

    w_.File1.refresh();
    w_.File2.refresh();
    w_.panes().writeTargetStatus();
    progress.end();
    toolkit.message(withFailures(FormatRenameResult(renamed, listed), failures), Icon::None,
                    Buttons::Ok, title);
    finish();
}

} // namespace quorvel
