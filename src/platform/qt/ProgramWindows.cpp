#include "platform/qt/ProgramWindows.h"

#include "app/MainWindow.h"
#include "platform/qt/FormWindow.h"
#include "platform/qt/Icons.h"

namespace quorvel {

void dressProgramWindow(MainWindow& window, Form& form, FormWindow& shown) {
    if (&form == &window.form)
        shown.onHelp = [&window] { window.showHelp(); };
    if (form.name() == "About") {
        QFont title = shown.font();
        title.setPointSize(20);
        title.setBold(true);
        shown.setControlFont("Label1", title);
        shown.setControlCursor("Label5", QCursor(programIcon().pixmap(32)));
    }
}

} // namespace quorvel
