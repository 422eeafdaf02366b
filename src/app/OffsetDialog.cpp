#include "app/OffsetDialog.h"

#include "controls/Controls.h"
#include "controls/FormHost.h"
#include "platform/CaptureDates.h"
#include "platform/Toolkit.h"
#include "rename/CameraClock.h"
#include "text/NaturalOrder.h"
#include "text/Paths.h"

#include <algorithm>
#include <set>
#include <utility>

namespace quorvel {

namespace {

constexpr int lineHeight = 420;
constexpr int top = 840;

std::string indexed(const char* base, std::size_t index) {
    return std::string(base) + "(" + std::to_string(index) + ")";
}

} // namespace

OffsetDialog::OffsetDialog(MenuItem& opener, FileList& sourceFiles, CaptureOptions& options,
                           OffsetDialogServices services)
    : File1_(sourceFiles), options_(options), services_(std::move(services)) {
    opener.onClick = [this] { show(); };
}

OffsetDialog::~OffsetDialog() = default;

std::vector<std::string> OffsetDialog::cameras() const {
    std::set<std::string> named;
    if (services_.dates != nullptr) {
        const std::string folder = File1_.path();
        for (const std::string& row : File1_.rows()) {
            const std::string camera = services_.dates->capture(joinPath(folder, row)).camera;
            if (!camera.empty())
                named.insert(camera);
        }
    }
    std::vector<std::string> all(named.begin(), named.end());
    std::stable_sort(all.begin(), all.end(),
                     [](const std::string& a, const std::string& b) { return naturalLess(a, b); });
    all.emplace_back(noCamera);
    return all;
}

void OffsetDialog::create() {
    closed_.reset();
    {
        const BusyPointer busy(services_.toolkit);
        shown_ = cameras();
    }
    const int height = top + static_cast<int>(shown_.size()) * lineHeight + 1080;
    form_ = std::make_unique<Form>("Decalage", 7200, height);
    Form& f = *form_;
    f.setCaption(title);
    f.add<Label>("Label1", &f, Geometry{240, 120, 6720, 615})
        .setCaption("Ce qui s'ajoute à l'heure de chaque appareil : +HH:MM:SS, -HH:MM:SS, ou "
                    "avec des jours +1 02:00:00.");
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        const int y = top + static_cast<int>(i) * lineHeight;
        f.add<Label>(indexed("Appareil", i), &f, Geometry{240, y + 60, 4440, 315})
            .setCaption(shown_[i]);
        TextBox& value = f.add<TextBox>(indexed("Valeur", i), &f, Geometry{4800, y, 2160, 315});
        const std::int64_t offset = options_.offsets ? options_.offsets->of(shown_[i]) : 0;
        value.setText(offsetText(offset));
    }
    const int buttons = top + static_cast<int>(shown_.size()) * lineHeight + 240;
    CommandButton& ok = f.add<CommandButton>("OK", &f, Geometry{2520, buttons, 2040, 495});
    ok.setCaption("OK");
    ok.onClick = [this] { accept(); };
    CommandButton& cancel = f.add<CommandButton>("Annuler", &f, Geometry{4920, buttons, 2040, 495});
    cancel.setCaption("Annuler");
    cancel.onClick = [this] { close(); };
    f.onClose = [this] { close(); };
}

void OffsetDialog::show() {
    if (!form_)
        create();
    services_.forms.showForm(*form_);
}

void OffsetDialog::close() {
    if (!form_)
        return;
    services_.forms.destroyForm(*form_);
    closed_ = std::move(form_);
}

// The cameras not listed now keep their offsets for another folder.
void OffsetDialog::accept() {
    auto offsets = std::make_shared<CameraOffsets>();
    if (options_.offsets)
        *offsets = *options_.offsets;
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        auto* box = static_cast<TextBox*>(form_->find(indexed("Valeur", i)));
        const std::optional<std::int64_t> offset = parseOffset(box->text());
        if (!offset) {
            services_.toolkit.message(wrongOffset, Icon::Error, Buttons::Ok, title);
            return;
        }
        offsets->seconds[CameraOffsets::key(shown_[i])] = *offset;
    }
    options_.offsets = std::move(offsets);
    close();
    if (services_.changed)
        services_.changed();
}

} // namespace quorvel
