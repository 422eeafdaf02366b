#include "app/MainWindow.h"
#include "journal/Journal.h"
#include "platform/Clock.h"
#include "platform/exif/ExifCaptureDates.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixFolderEvents.h"
#include "platform/posix/PosixJournalFiles.h"
#include "platform/posix/ProgramInfo.h"
#include "platform/qt/QtFolderWatcher.h"
#include "platform/qt/QtPictures.h"
#include "platform/qt/QtSettingsStore.h"
#include "platform/qt/QtShell.h"
#include "platform/qt/QtToolkit.h"
#include "ui/qt/ProgramWindows.h"
#include "ui/qt/QtFormHost.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    using namespace quorvel;

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
    PosixFolderEvents folderEvents;
    QtFolderWatcher folderWatcher(folderEvents);
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, programInfo(argv[0]),
                               &captureDates, &folderWatcher},
                      forms, &journal);

    forms.onWindowCreated = dressProgramWindow;
    window.startUp();
    forms.showForm(window.form);
    const int status = app.exec();
    // The windows let go of their forms before the forms go away.
    forms.closeAll();
    return status;
}
