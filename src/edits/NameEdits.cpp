#include "edits/NameEdits.h"

#include "batch/FileBatch.h"
#include "controls/Controls.h"
#include "controls/Errors.h"
#include "panes/Panes.h"
#include "platform/Clock.h"
#include "platform/Toolkit.h"
#include "rename/BatchRename.h"
#include "rename/NameComposer.h"
#include "text/NameCheck.h"
#include "text/Paths.h"
#include "text/Utf8.h"

#include <cerrno>
#include <cstdint>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

namespace {

const char* const tooShortForCut = "Le nom est trop court pour en couper autant de caractères.";

std::int64_t length(std::string_view text) {
    return static_cast<std::int64_t>(utf8Length(text));
}

std::string left(std::string_view text, std::int64_t count) {
    return utf8Left(text, static_cast<std::size_t>(count));
}

std::string right(std::string_view text, std::int64_t count) {
    return utf8Right(text, static_cast<std::size_t>(count));
}

// stem: what comes before the target type, normally ending with the old dot. A name that
// would be nothing but its extension is refused: it would become a hidden file.
NewName withTargetType(const std::string& stem, const std::string& target) {
    std::string_view base = stem;
    if (!base.empty() && base.back() == '.')
        base.remove_suffix(1);
    if (base.empty())
        return {{}, "Il ne resterait rien du nom devant l'extension."};
    return {stem + target, {}};
}

// The name without its last sourceLength characters (the old extension), dot kept.
NewName keepStem(const std::string& name, std::int64_t sourceLength, const std::string& prefix,
                 const std::string& target) {
    const std::int64_t stem = length(name) - sourceLength;
    if (stem < 0)
        return {{}, "Le nom est plus court que l'extension source."};
    return withTargetType(prefix + left(name, stem), target);
}

std::string shorterThanType(const std::string& type) {
    return "Le texte tapé est plus court que l'extension « " + type +
           " » : les nouveaux noms ne peuvent pas être construits.";
}

// Scans the list on its own, letter case included, and adds the entry when it lacks it.
void addOnce(ComboBox& list, const std::string& entry, std::int64_t& flag) {
    flag = 0;
    for (const std::string& existing : list.entries()) {
        if (existing == entry)
            flag = 1;
    }
    if (flag == 0)
        list.addItem(entry);
    list.setText(entry);
}

} // namespace

NameEdits::NameEdits(const EditControls& controls, const EditServices& services)
    : ui_(controls), services_(services) {
    ui_.cutRight.onClick = [this] { shortenOnRight(); };
    ui_.cutLeft.onClick = [this] { shortenOnLeft(); };
    ui_.lengthenLeft.onClick = [this] { lengthenOnLeft(); };
    ui_.copyToTarget.onClick = [this] { copyToTarget(); };
    ui_.addTypeButton.onClick = [this] { addType(); };
}

std::string NameEdits::LastSelectedName() const {
    const FileList& list = ui_.sourceFiles;
    for (int i = list.count() - 1; i >= 0; --i) {
        if (list.selected(i))
            return list.row(i);
    }
    return list.count() > 0 ? list.row(0) : std::string();
}

bool NameEdits::askText(const std::string& prompt, const std::string& title) {
    vars_.answer = services_.toolkit.input(prompt, title, *vars_.proposedText);
    if (!vars_.answer->empty())
        return true;
    services_.toolkit.message("Le Fichier n'est pas défini", Icon::Error, Buttons::Ok, "Renommer");
    return false;
}

void NameEdits::refuse(const std::string& text) {
    services_.toolkit.message(text + "\r\nAucun fichier n'a été modifié.", Icon::Error, Buttons::Ok,
                              "Renommer");
}

void NameEdits::beepThrice() {
    for (int i = 0; i < 3; ++i)
        services_.toolkit.beep();
}

bool NameEdits::confirm(const std::string& text, const std::string& title) {
    return services_.toolkit.message(text, Icon::Question, Buttons::YesNo, title) == Reply::Yes;
}

std::string NameEdits::typedWithTargetType() const {
    return "Renommer les fichiers du type :\r\n" + *vars_.proposedText + "\r\nen\r\n" +
           left(*vars_.answer, length(*vars_.answer) - length(ui_.sourceType.text())) +
           ui_.targetType.text();
}

void NameEdits::shortenOnRight() {
    shorten(true);
}

void NameEdits::shortenOnLeft() {
    shorten(false);
}

NameEdits::Typed NameEdits::typedAnswer() const {
    return {ui_.sourceType.text(), ui_.targetType.text(), length(*vars_.answer),
            length(*vars_.proposedText), length(ui_.sourceType.text())};
}

void NameEdits::shorten(bool onRight) {
    vars_.cutExcess = 0;
    vars_.proposedText = LastSelectedName();
    if (!askText(std::string(onRight ? "Raccourcir par la droite" : "Raccourcir par la gauche") +
                     "\r\nEffacer la partie en trop",
                 "Raccourcir"))
        return;
    const auto [source, target, typed, sample, k] = typedAnswer();
    vars_.cutExcess = sample - typed;
    // An empty list has no sample to shorten: whatever is typed touches no file.
    if (!vars_.proposedText->empty() && vars_.cutExcess < 0) {
        refuse("Le texte tapé est plus long que le nom proposé : pour raccourcir, effacez des "
               "caractères du nom proposé.");
        return;
    }
    beepThrice();
    // The question's last line takes the source type's length off the typed text.
    if (typed < k) {
        refuse(shorterThanType(source));
        return;
    }
    if (!confirm(typedWithTargetType(), " Renommer les fichiers?"))
        return;
    const std::int64_t excess = vars_.cutExcess;
    if (onRight) {
        RunNameEdit(BatchKind::ShortenRight,
                    [this, excess, k = k, target = target](const std::string& name) -> NewName {
                        const std::int64_t keep = length(name) - excess - k - 1;
                        if (keep < 0)
                            return {{}, tooShortForCut};
                        vars_.cutName = left(name, keep);
                        return withTargetType(vars_.cutName + ".", target);
                    });
    } else {
        RunNameEdit(BatchKind::ShortenLeft,
                    [this, excess, k = k, target = target](const std::string& name) -> NewName {
                        const std::int64_t keep = length(name) - excess;
                        if (keep < 0)
                            return {{}, tooShortForCut};
                        vars_.cutName = right(name, keep);
                        const std::int64_t stem = length(vars_.cutName) - k;
                        if (stem < 0)
                            return {{}, tooShortForCut};
                        return withTargetType(left(vars_.cutName, stem), target);
                    });
    }
}

void NameEdits::lengthenOnLeft() {
    vars_.proposedText = LastSelectedName();
    if (!askText("Rallonger par la gauche\r\nTaper le texte à rajouter à gauche du texte "
                 "générique existant :",
                 "Rallonger"))
        return;
    const auto [source, target, typed, sample, k] = typedAnswer();
    if (typed < sample) {
        refuse("Le texte tapé est plus court que le nom proposé : pour rallonger, tapez le texte "
               "à rajouter devant le nom proposé.");
        return;
    }
    const std::string prefix = left(*vars_.answer, typed - sample);
    if (const char* problem = typedPrefixProblem(prefix)) {
        refuse(problem);
        return;
    }
    vars_.typedPrefix = prefix;
    beepThrice();
    if (typed < k) {
        refuse(shorterThanType(source));
        return;
    }
    if (!confirm(typedWithTargetType(), " Renommer les fichiers?"))
        return;
    RunNameEdit(BatchKind::LengthenLeft, [this, k = k, target = target](const std::string& name) {
        return keepStem(name, k, vars_.typedPrefix, target);
    });
}

void NameEdits::copyToTarget() {
    beepThrice();
    // The question ends on the folder the copies will go to, which it otherwise leaves unsaid.
    if (!confirm("Recopier les fichiers\r\nvers répertoire et extension cible\r\n si souhaité : " +
                     ui_.targetFiles.path(),
                 " Recopier les fichiers?"))
        return;
    const std::int64_t k = length(ui_.sourceType.text());
    const std::string target = ui_.targetType.text();
    RunNameEdit(BatchKind::CopyToTarget,
                [k, target](const std::string& name) { return keepStem(name, k, {}, target); });
}

bool NameEdits::planEdit(const NameRule& rule, std::vector<EditStep>& steps, int& listed) {
    FileList& source = ui_.sourceFiles;
    // Every new name is made and checked before the first file is touched, so that a
    // refused one leaves the whole selection as it was.
    vars_.selectionOnly = source.selectedCount() > 0 ? 1 : 0;
    listed = source.count();
    // The target type is typed by the user, unlike the characters that the names carry over.
    const char* typedProblem = typedCharacterProblem(ui_.targetType.text());
    for (int i = 0; i < listed; ++i) {
        if (vars_.selectionOnly != 0 && !source.selected(i))
            continue;
        const std::string& name = source.row(i);
        NewName made = rule(name);
        if (made.problem.empty()) {
            if (const char* problem = nameProblem(made.name))
                made.problem = problem;
            else if (typedProblem != nullptr)
                made.problem = typedProblem;
        }
        if (!made.problem.empty()) {
            const std::string what = made.name.empty()
                                         ? "« " + name + " »"
                                         : "« " + name + " » en « " + made.name + " »";
            services_.toolkit.message("Impossible de renommer " + what + " :\r\n" + made.problem +
                                          "\r\nAucun fichier n'a été modifié.",
                                      Icon::Error, Buttons::Ok, "Renommer");
            return false;
        }
        steps.push_back({name, std::move(made.name)});
    }
    return true;
}

void NameEdits::RunNameEdit(BatchKind kind, const NameRule& rule) {
    Toolkit& ui = services_.toolkit;
    if (services_.batches.running())
        return ui.beep();
    ui.setBusy(true);
    auto steps = std::make_shared<std::vector<EditStep>>();
    int listed = 0;
    if (!planEdit(rule, *steps, listed)) {
        ui.setBusy(false);
        return;
    }
    vars_.editSourceFolder = dropTrailingSeparator(ui_.sourceFiles.path());
    vars_.editTargetFolder = dropTrailingSeparator(ui_.targetFiles.path());
    const bool copy = ui_.sourceFiles.path() != ui_.targetFiles.path();
    std::vector<WorkItem> items;
    std::vector<bool> settled;
    for (const EditStep& step : *steps) {
        items.push_back({joinPath(vars_.editSourceFolder, step.from),
                         joinPath(copy ? vars_.editTargetFolder : vars_.editSourceFolder, step.to),
                         copy ? ChangeKind::Copy : ChangeKind::Rename});
        // The file already bears the name asked for: done, with nothing to touch.
        settled.push_back(!copy && step.from == step.to);
    }
    if (!steps->empty()) {
        vars_.lastSource = steps->back().from;
        vars_.lastEditTarget = steps->back().to;
    }
    services_.batches.run(
        {kind, vars_.editSourceFolder, vars_.editTargetFolder, services_.clock.now()},
        std::move(items), std::move(settled), observer_,
        [this, steps, listed](const FileBatchResult& result) { edited(*steps, listed, result); });
}

void NameEdits::edited(const std::vector<EditStep>& steps, int listed,
                       const FileBatchResult& result) {
    std::vector<FileFailure> failures;
    for (std::size_t i = 0; i < result.outcomes.size(); ++i) {
        const ItemOutcome& outcome = result.outcomes[i];
        if (outcome.outcome != Outcome::Done)
            failures.push_back({steps[i].from,
                                outcome.outcome == Outcome::Collision ? EEXIST : outcome.error,
                                {}});
    }
    Toolkit& ui = services_.toolkit;
    ui_.sourceFiles.refresh();
    ui_.targetFiles.refresh();
    services_.panes.writeTargetStatus();
    beepThrice();
    BatchRename::showResult(ui, result.summary, listed, failures,
                            static_cast<std::int64_t>(result.untreated));
    ui.setBusy(false);
}

void NameEdits::addType() {
    Toolkit& ui = services_.toolkit;
    vars_.proposedText = ui_.sourceType.text();
    vars_.answer = std::string(
        typedType(ui.input("Nouvelle extension :", "Ajouter extension", *vars_.proposedText)));
    if (vars_.answer->empty()) {
        ui.message("L'extension n'est pas définie", Icon::Error, Buttons::Ok, "Ajouter extension");
        return;
    }
    if (const char* problem = typedTypeProblem(*vars_.answer)) {
        ui.message(problem, Icon::Error, Buttons::Ok, "Ajouter extension");
        return;
    }
    beepThrice();
    if (!confirm("Rajouter l'extension :\r\n" + *vars_.answer, " Rajouter l'extension?"))
        return;
    addOnce(ui_.sourceType, *vars_.answer, vars_.typeKnown);
    addOnce(ui_.targetType, *vars_.answer, vars_.typeKnown);
    services_.panes.RefreshSourceList();
    services_.panes.RefreshTargetList();
    services_.composer.UpdateNamePreview();
}

} // namespace quorvel
