#include "ui/qt/ProgramWindows.h"

#include "app/Controls.h"
#include "platform/qt/Icons.h"
#include "ui/qt/FormWindow.h"

#include <QShortcut>

namespace quorvel {

void dressProgramWindow(Form& form, FormWindow& shown) {
    if (form.name() == "About") {
        QFont title = shown.font();
        title.setPointSize(20);
        title.setBold(true);
        shown.setControlFont("Label1", title);
        shown.setControlCursor("Label5", QCursor(programIcon().pixmap(32)));
    }
    if (form.name() == "Apercu") {
        shown.makeResizable();
        // Escape closes it as its close box does.
        auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), &shown);
        QObject::connect(escape, &QShortcut::activated, &shown, [&shown] { shown.close(); });
    }
}

} // namespace quorvel
