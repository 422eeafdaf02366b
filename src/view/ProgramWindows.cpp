#include "view/ProgramWindows.h"

#include "controls/Controls.h"
#include "platform/qtservices/Icons.h"
#include "view/FormWindow.h"

namespace quorvel {

void dressProgramWindow(Form& form, FormWindow& shown) {
    if (form.name() == "About") {
        QFont title = shown.font();
        title.setPointSize(20);
        title.setBold(true);
        shown.setControlFont("Label1", title);
        shown.setControlCursor("Label5", QCursor(programIcon().pixmap(32)));
    }
    // Escape closes it as every window but the main one, through its form window.
    if (form.name() == "Apercu")
        shown.makeResizable();
    if (form.name() == "Form1") {
        shown.makeStretchable();
        // The user starts by choosing files.
        if (QWidget* files = shown.widgetOf("File1"))
            files->setFocus(Qt::OtherFocusReason);
    }
}

} // namespace quorvel
