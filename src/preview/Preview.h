#pragma once

#include "controls/Controls.h"
#include "rename/RenamePlan.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace quorvel {

class ComboBox;
class Control;
class FileList;
class FileSystem;
class Form;
class FormHost;
class KnownTimes;
class MenuItem;
class OptionButton;
class TextBox;
class Toolkit;

// The menu item that opens the preview, and everything the run reads from the window:
// the lists, the name boxes, the options, and the window's form for its ticked menu items.
struct PreviewControls {
    MenuItem& mnuApercu;
    FileList& sourceFiles;
    FileList& targetFiles;
    TextBox& genericName;
    TextBox& startIndex;
    ComboBox& stepBox;
    ComboBox& targetType;
    std::array<OptionButton*, 5>& schemeOptions;
    std::array<OptionButton*, 3>& digitOptions;
    Form& window;
};

// What the preview uses besides its controls.
struct PreviewServices {
    FormHost& forms;
    Toolkit& toolkit;
    FileSystem& fs;
    // What a rename run would read now, taken on the window's thread.
    std::function<RunInputs()> runInputs;
};

// The preview window "Aperçu du lot": what a click on "Renommer !" would do now, file by
// file, planned by the run's own code and planned again whenever something the run reads
// changes. It never touches the disk.
class Preview {
public:
    Preview(const PreviewControls& controls, PreviewServices services);
    ~Preview();
    Preview(const Preview&) = delete;
    Preview& operator=(const Preview&) = delete;

    // mnuApercu: opens the window, or shows the open one again.
    void show();
    // Escape and the close box.
    void close();
    // Something the run reads changed that no control shows (the cameras' offsets).
    void runChanged() { changed(); }
    // The window's form while it is open, nullptr otherwise.
    Form* form() { return form_.get(); }

    // "N fichiers seront renommés sur les M présents." with the collisions when there are.
    static std::string summary(std::int64_t renamed, std::int64_t listed, std::int64_t collisions);
    // Follows the summary when the panes show two folders: the run copies, it does not rename.
    static std::string copyNote(const std::string& targetFolder);

private:
    struct Job;
    // The table's cells, row after row, and which rows collide, built as the plan goes.
    struct PlanTable {
        PackedTexts cells;
        std::vector<char> marked;
        std::int64_t collisions = 0;
        void add(const PlanRow& row);
    };

    void create();
    void watch(Control& control);
    // Something the run reads has changed.
    void changed();
    void start();
    void finished(const std::shared_ptr<Job>& job);

    PreviewControls ui_;
    PreviewServices services_;
    std::unique_ptr<Form> form_;
    // Closed from inside a reaction of its own: kept until the next opening.
    std::unique_ptr<Form> closed_;
    std::vector<std::pair<Control*, int>> subscriptions_;
    // The planning under way; a change meanwhile makes it stale, and its result is then
    // dropped for a newer one: the latest request wins.
    std::shared_ptr<Job> job_;
    bool planning_ = false;
    bool stale_ = false;
    // The times read since the source list was last read, and which reading that was.
    std::shared_ptr<KnownTimes> times_;
    std::string timesFolder_;
    std::uint64_t timesGeneration_ = 0;
};

} // namespace quorvel
