// The main window's values that survive between runs, in the group "Data" of the settings
// named after the program file.
#include "app/MainWindow.h"
#include "text/Numbers.h"

namespace quorvel {

namespace {

const char* const appSection = "Data";
// Settings beyond the first window's six keys, kept apart from them.
const char* const optionsSection = "Options";
// One key per camera, its offset as the user typed it.
const char* const offsetsSection = "Decalage";

} // namespace

void MainWindow::restoreSettings() {
    SettingsStore& store = services_.settings;
    const std::string& app = services_.program.baseName;
    const auto setting = [&](const char* key, const std::string& fallback) {
        return store.read(app, appSection, key).value_or(fallback);
    };
    // A step that fails leaves the window as it was and start-up goes on.
    genericName.setText(setting("T1", "Fichier"));
    startIndex.setText(setting("T2", "1"));
    const std::int64_t scheme = numericValue(setting("O1", "0"));
    if (scheme >= 0 && scheme < 5)
        schemeOptions[static_cast<std::size_t>(scheme)]->select();
    const std::int64_t width = numericValue(setting("O2", "0"));
    if (width >= 0 && width < 3)
        digitOptions[static_cast<std::size_t>(width)]->select();
    exifDates = store.read(app, optionsSection, "Exif").value_or("0") == "1";
    mnuExif.setChecked(exifDates);
    captureOptions.order = store.read(app, optionsSection, "Ordre").value_or("0") == "1";
    mnuOrdre.setChecked(captureOptions.order);
    captureOptions.sameSecond = store.read(app, optionsSection, "Seconde").value_or("0") == "1";
    mnuSeconde.setChecked(captureOptions.sameSecond);
    // An offset edited by hand into a wrong text is left out rather than guessed.
    auto offsets = std::make_shared<CameraOffsets>();
    for (const std::string& camera : store.keys(app, offsetsSection)) {
        const std::optional<std::int64_t> offset =
            parseOffset(store.read(app, offsetsSection, camera).value_or(""));
        if (offset)
            offsets->seconds[CameraOffsets::key(camera)] = *offset;
    }
    captureOptions.offsets = std::move(offsets);
}

void MainWindow::restoreFolder() {
    SettingsStore& store = services_.settings;
    const std::string& app = services_.program.baseName;
    const std::string& programFolder = services_.program.folder;
    sourceDrives.setDrive(store.read(app, appSection, "drv").value_or(programFolder));
    sourceFolders.setPath(store.read(app, appSection, "Dir").value_or(programFolder));
}

bool MainWindow::saveSettings() {
    SettingsStore& store = services_.settings;
    const std::string& app = services_.program.baseName;
    store.write(app, appSection, "Dir", sourceFolders.path());
    store.write(app, appSection, "drv", sourceDrives.drive());
    store.write(app, appSection, "T1", genericName.text());
    store.write(app, appSection, "T2", startIndex.text());
    store.write(app, appSection, "O1", renamePanel.tag());
    store.write(app, appSection, "O2", digitsGroup.tag());
    store.write(app, optionsSection, "Exif", exifDates ? "1" : "0");
    store.write(app, optionsSection, "Ordre", captureOptions.order ? "1" : "0");
    store.write(app, optionsSection, "Seconde", captureOptions.sameSecond ? "1" : "0");
    if (captureOptions.offsets) {
        for (const auto& [camera, offset] : captureOptions.offsets->seconds)
            store.write(app, offsetsSection, camera, offsetText(offset));
    }
    return store.commit();
}

} // namespace quorvel
