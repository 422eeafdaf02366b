#include "program/Program.h"

#include "app/MainWindow.h"
#include "journal/Journal.h"
#include "platform/Clock.h"
#include "platform/exif/ExifCaptureDates.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixFolderEvents.h"
#include "platform/posix/PosixJournalFiles.h"
#include "platform/posix/ProgramInfo.h"
#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/QtFolderWatcher.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtSettingsStore.h"
#include "platform/qtservices/QtShell.h"
#include "platform/qtservices/QtToolkit.h"
#include "view/ProgramWindows.h"
#include "view/QtFormHost.h"
#include "view/WindowPlacement.h"

#include <QApplication>
#include <chrono>
#include <cstdlib>

namespace quorvel {

int runProgram(int argc, char** argv, const StartWatch& watch) {
    QApplication app(argc, argv);

    QtToolkit toolkit;
    QtFormHost forms(toolkit);
    PosixFileSystem fs;
    QtSettingsStore settings(defaultConfigFolder());
    QtPictures pictures;
    QtShell shell;
    SystemClock clock;
    ExifCaptureDates captureDates;
    PosixJournalFiles journalFiles;
    Journal journal(journalFiles, defaultStateFolder() + "/quorvel");
    const ProgramInfo program = programInfo(argv[0]);
    PosixFolderEvents folderEvents;
    QtFolderWatcher folderWatcher(folderEvents);
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, program,
                               &captureDates, &folderWatcher},
                      forms, &journal);

    forms.onWindowCreated = [&](Form& form, FormWindow& shown) {
        dressProgramWindow(form, shown);
        if (&form == &window.form)
            keepPlacement(shown, settings, program.baseName);
    };
    // A saved folder of a million files takes a second to read: the window shows first.
    window.prepare();
    forms.showForm(window.form);
    forms.afterFirstPaint(window.form, [&] {
        if (window.closed())
            return;
        if (watch.shown)
            watch.shown();
        window.openFolders();
        if (watch.filled)
            watch.filled();
    });
    const int status = app.exec();
    // The windows let go of their forms before the forms go away.
    forms.closeAll();
    // A picture still being read gives up; one held by the kernel does not hold the program,
    // which then ends without destroying what that read still uses. The settings are already
    // saved by then.
    if (!finishBackgroundWork(std::chrono::milliseconds(1500)))
        std::_Exit(status);
    return status;
}

} // namespace quorvel
