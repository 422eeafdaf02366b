#pragma once

#include "batch/Batch.h"
#include "controls/Variables.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quorvel {

class BatchObserver;
class Clock;
class FileBatch;
class ComboBox;
class FileList;
class FileSystem;
class NameComposer;
class Panes;
class PictureButton;
class Toolkit;
struct FileBatchResult;

// The source pane's edit buttons, the two file lists and the two type boxes.
struct EditControls {
    PictureButton& cutRight;     // Comm1_10
    PictureButton& cutLeft;      // Comm1_8
    PictureButton& lengthenLeft; // Comm1_9
    PictureButton& copyToTarget; // Comm1_7
    PictureButton& addTypeButton;
    FileList& sourceFiles;
    FileList& targetFiles;
    ComboBox& sourceType;
    ComboBox& targetType;
};

// The window variables that hold the typed text, the sample and the last names of an edit.
struct EditVariables {
    Kept<std::string> answer;       // sChTmp
    Kept<std::string> proposedText; // OldRep
    Kept<std::string> lastSource;   // M
    std::string cutName;            // MM
    std::string typedPrefix;        // Ext
    std::string lastEditTarget;     // NN
    std::string editSourceFolder;   // F1
    std::string editTargetFolder;   // F2
    std::int64_t cutExcess = 0;     // Exces
    std::int64_t selectionOnly = 0; // Fixe
    std::int64_t typeKnown = 0;     // Flag
};

// What the edits use besides their controls.
struct EditServices {
    Toolkit& toolkit;
    FileSystem& fs;
    Clock& clock;
    Panes& panes;
    NameComposer& composer;
    // The window's batches of listed changes, made beside it.
    FileBatch& batches;
};

// The new name that an edit gives to one file, or, when it can give none, why.
struct NewName {
    std::string name;
    std::string problem; // French, for the user; not empty when there is no name
};

// Maps the name of a source file to its new name.
using NameRule = std::function<NewName(const std::string& name)>;

// Edits applied to every selected name of the source pane, and adding a type.
class NameEdits {
public:
    NameEdits(const EditControls& controls, const EditServices& services);

    // The name of the last selected row of File1, row 0 when none is selected, empty for
    // an empty list.
    std::string LastSelectedName() const;

    // Gives every selected file (every file when none is selected) the name of the rule:
    // renamed in place when both panes show the same folder, copied into the target folder
    // otherwise. Every new name is checked before the first file is touched; a refused one
    // stops the edit with a message and nothing changed. The files change on the batch
    // thread beside the window; the result is told once the batch has ended.
    void RunNameEdit(BatchKind kind, const NameRule& rule);
    // Told of every edit's changes before they are made; null for none.
    void setObserver(BatchObserver* observer) { observer_ = observer; }
    const EditVariables& variables() const { return vars_; }

    void shortenOnRight(); // Comm1_10
    void shortenOnLeft();  // Comm1_8
    void lengthenOnLeft(); // Comm1_9
    void copyToTarget();   // Comm1_7
    void addType();        // Comm3

private:
    struct EditStep {
        std::string from;
        std::string to;
    };
    // The new name of every file the edit takes; false, with the refusal shown, when one
    // cannot be given.
    bool planEdit(const NameRule& rule, std::vector<EditStep>& steps, int& listed);
    // Back on the window's thread once the batch of an edit has ended.
    void edited(const std::vector<EditStep>& steps, int listed, const FileBatchResult& result);
    // What a shorten or lengthen works from once the user has answered: the two types and
    // the lengths, in characters, of the answer, of the sample and of the source type.
    struct Typed {
        std::string source;
        std::string target;
        std::int64_t typed;
        std::int64_t sample;
        std::int64_t k;
    };
    Typed typedAnswer() const;
    void shorten(bool onRight);
    // Asks for the edited sample; false when the user gave nothing.
    bool askText(const std::string& prompt, const std::string& title);
    // Refuses the typed text with an error box titled "Renommer".
    void refuse(const std::string& text);
    void beepThrice();
    // The yes/no question; true on Yes.
    bool confirm(const std::string& text, const std::string& title);
    // The question's last line: the typed text with the target type for its extension.
    std::string typedWithTargetType() const;

    EditControls ui_;
    EditVariables vars_;
    EditServices services_;
    BatchObserver* observer_ = nullptr;
};

} // namespace quorvel
