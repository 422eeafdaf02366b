#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

class CaptureDates;
class FileList;
class Form;
class FormHost;
class MenuItem;
class Toolkit;
struct CaptureOptions;

struct OffsetDialogServices {
    FormHost& forms;
    Toolkit& toolkit;
    CaptureDates* dates; // null: every file is "Sans appareil"
    // Told when the offsets changed, so that what depends on them follows.
    std::function<void()> changed;
};

// "Décaler l'heure des appareils" (form "Decalage"): one line per camera named by the
// listed files, "Sans appareil" last, each with its offset in `Valeur(i)`. OK checks every
// offset and keeps them all, or refuses the wrong one and keeps the box open; "Annuler" and
// the close box leave them as they were. Only the program's own settings change: the
// files are read, never written.
class OffsetDialog {
public:
    static constexpr const char* title = "Décaler l'heure des appareils";
    static constexpr const char* wrongOffset = "Le décalage doit s'écrire +HH:MM:SS ou -HH:MM:SS.";

    OffsetDialog(MenuItem& opener, FileList& sourceFiles, CaptureOptions& options,
                 OffsetDialogServices services);
    ~OffsetDialog();
    OffsetDialog(const OffsetDialog&) = delete;
    OffsetDialog& operator=(const OffsetDialog&) = delete;

    void show();
    void close();
    // The box's form while it is open, nullptr otherwise.
    Form* form() { return form_.get(); }

    // The cameras the listed files name, in natural order, then "Sans appareil".
    std::vector<std::string> cameras() const;

private:
    void create();
    void accept();

    FileList& File1_;
    CaptureOptions& options_;
    OffsetDialogServices services_;
    std::vector<std::string> shown_;
    std::unique_ptr<Form> form_;
    // Closed from inside its own button's reaction: kept until the next opening.
    std::unique_ptr<Form> closed_;
};

} // namespace quorvel
