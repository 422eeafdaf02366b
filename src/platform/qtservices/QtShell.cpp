#include "platform/qtservices/QtShell.h"

#include <QDesktopServices>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QStringLiteral>
#include <QUrl>

namespace quorvel {

// The only operation asked for is "Open"; the desktop picks the program, in its own
// folder, with its own window, so the other arguments have no use here.
void QtShell::open(const std::string& /*operation*/, const std::string& document,
                   const std::string& /*workingFolder*/, const std::string& /*owner*/) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(document)));
}

void QtShell::showHelp(const std::string& helpFile) {
    const QString file = QFile::decodeName(helpFile.c_str());
    // Detached: the viewer lives on its own and may outlast the program.
    if (!QProcess::startDetached(QStringLiteral("xchm"), {file})) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(file));
    }
}

} // namespace quorvel
