#include "screenshot/Screenshots.h"

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtSettingsStore.h"
#include "platform/qtservices/QtShell.h"
#include "platform/qtservices/QtToolkit.h"
#include "preview/Preview.h"
#include "view/FormWindow.h"
#include "view/ProgramWindows.h"
#include "view/QtFormHost.h"
#include "viewer/PhotoViewer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace quorvel {

namespace {

struct Sample {
    const char* name;
    int width;
    int height;
    QColor sky;
};

// Sky, sun and hills, with the file's name written on it so each thumbnail can be told.
QImage samplePhoto(const Sample& sample) {
    QImage photo(sample.width, sample.height, QImage::Format_RGB32);
    QPainter p(&photo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, sample.height);
    sky.setColorAt(0, sample.sky);
    sky.setColorAt(1, sample.sky.lighter(170));
    p.fillRect(photo.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 215, 70));
    p.drawEllipse(QPointF(sample.width * 0.75, sample.height * 0.25), sample.width * 0.08,
                  sample.width * 0.08);
    QPainterPath hills;
    hills.moveTo(0, sample.height * 0.7);
    hills.quadTo(sample.width * 0.3, sample.height * 0.5, sample.width * 0.55,
                 sample.height * 0.68);
    hills.quadTo(sample.width * 0.8, sample.height * 0.55, sample.width, sample.height * 0.65);
    hills.lineTo(sample.width, sample.height);
    hills.lineTo(0, sample.height);
    p.setBrush(QColor(60, 150, 70));
    p.drawPath(hills);
    QFont font = p.font();
    const QString name = QString::fromUtf8(sample.name);
    // As large as a tenth of the height allows, but the whole name on a portrait photo too.
    for (int size = sample.height / 10; size > 8; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(name) <= sample.width * 9 / 10)
            break;
    }
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(photo.rect().adjusted(0, 0, 0, -sample.height / 20),
               Qt::AlignHCenter | Qt::AlignBottom, name);
    return photo;
}

bool save(QWidget* window, const QDir& out, const char* file) {
    // The pictures are decoded in the background: the window is pictured once they are in.
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    const QString path = out.filePath(QString::fromLatin1(file));
    const bool saved = window != nullptr && window->grab().save(path);
    std::fprintf(saved ? stdout : stderr, "%s %s\n", saved ? "saved" : "could not save",
                 path.toLocal8Bit().constData());
    return saved;
}

// Pictures the box that `ask` brings up, then answers it, and any box that follows, with
// its escape button.
bool saveBox(const QDir& out, const char* file, const std::function<void()>& ask) {
    bool saved = false;
    bool first = true;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box == nullptr)
            return;
        if (first)
            saved = save(box, out, file);
        first = false;
        box->reject();
    });
    answer.start(300);
    ask();
    return saved;
}

// Names longer than the strip's labels and the file list, a long run as it goes, then a
// question and an input box, each through the command that asks it.
bool saveLongNamesAndBoxes(MainWindow& window, QtToolkit& toolkit, FormWindow* main,
                           const QDir& out, const std::string& folder, const Sample* longNamed) {
    for (int slot = 0; slot < 2; ++slot) {
        const std::string name = longNamed[slot].name;
        window.stripPictures[slot]->setGeometry({330, 360 + slot * 1680, 1740, 1305});
        window.stripPictures[slot]->setPicture(folder + "/" + name);
        window.stripNames[slot]->setCaption(name);
    }
    bool saved = save(main, out, "long-names.png");
    toolkit.showProgress("Renommage : 1234 fichiers sur 5000");
    saved = save(main, out, "long-run.png") && saved;
    toolkit.showProgress("");
    window.sourceFiles.setSelected(0, true);
    saved = saveBox(out, "question.png", [&] { window.sourceButtons[4]->click(); }) && saved;
    return saveBox(out, "input.png", [&] { window.sourceButtons[2]->click(); }) && saved;
}

} // namespace

int runScreenshots(int argc, char** argv) {
    QApplication app(argc, argv);
    const QDir out(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots"));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", out.path().toLocal8Bit().constData());
        return 1;
    }
    QTemporaryDir temp;
    const QString photos = temp.filePath("Photos");
    QDir().mkpath(photos + "/Tri");
    QDir().mkpath(QString::fromUtf8("%1/Été 2006").arg(photos));
    const Sample samples[] = {
        {"01_Vacances.jpg", 640, 480, QColor(70, 130, 220)},
        {"IMG_0002.jpg", 480, 640, QColor(220, 120, 60)},
        {"Château de Noël.jpg", 600, 400, QColor(90, 90, 180)},
        {"Été à la plage.jpg", 360, 540, QColor(40, 170, 210)},
        {"IMG_0010.jpg", 640, 480, QColor(120, 60, 160)},
        {"Vacances_en_Bretagne_chez_les_cousins_juillet_001.jpg", 640, 480, QColor(60, 140, 90)},
        {"Vacances_en_Bretagne_chez_les_cousins_juillet_002.jpg", 640, 480, QColor(60, 90, 140)},
    };
    for (const Sample& sample : samples)
        samplePhoto(sample).save(photos + "/" + QString::fromUtf8(sample.name), "JPEG", 85);
    // The about box shows the picture we ship, made beside this tool by the build; the
    // sample folder stands for the program's folder.
    const QString shipped =
        QCoreApplication::applicationDirPath() + "/" + QString::fromLatin1(AboutBox::pictureFile);
    if (!QFile::copy(shipped, photos + "/" + QString::fromLatin1(AboutBox::pictureFile))) {
        std::fprintf(stderr, "cannot find %s: build the quorvel_pictures target first\n",
                     shipped.toLocal8Bit().constData());
        return 1;
    }

    QtToolkit toolkit;
    QtFormHost forms(toolkit);
    PosixFileSystem fs;
    QtSettingsStore settings(temp.filePath("config").toStdString());
    QtPictures pictures;
    QtShell shell;
    SystemClock clock;
    const std::string folder = photos.toStdString();
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, {folder, "Quorvel"}},
                      forms);
    forms.onWindowCreated = dressProgramWindow;
    window.startUp();
    forms.showForm(window.form);
    FormWindow* main = forms.windowOf(window.form);
    bool saved = save(main, out, "main.png");

    window.sourceFiles.toggle(0);
    window.problemPanel.setVisible(true);
    window.problemText.setCaption("01_Vacances.jpg existe déjà !");
    saved = save(main, out, "problem.png") && saved;
    window.problemPanel.setVisible(false);

    for (int slot = 0; slot < 4; ++slot) {
        const Sample& sample = samples[slot];
        const int top = 360 + slot * 1680;
        const bool portrait = sample.width < sample.height;
        window.stripPictures[slot]->setGeometry(portrait ? Geometry{470, top, 980, 1305}
                                                         : Geometry{330, top, 1740, 1305});
        window.stripPictures[slot]->setPicture(folder + "/" + sample.name);
        window.stripNames[slot]->setCaption(sample.name);
    }
    saved = save(main, out, "thumbnails.png") && saved;
    // Enlarged by the user: the panes, their lists and the strip take the room.
    const QSize designed = main->size();
    main->resize(1500, 940);
    saved = save(main, out, "main-enlarged.png") && saved;
    main->resize(designed);

    saved = saveLongNamesAndBoxes(window, toolkit, main, out, folder, samples + 5) && saved;

    // The other windows, each through the command that opens it.
    window.viewer().ViewPhoto(folder + "/" + samples[1].name);
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    if (Form* viewer = window.viewer().form())
        saved = save(forms.windowOf(*viewer), out, "viewer.png") && saved;
    // Browsing: the next photo of the list, as the Right key shows it.
    window.viewer().browse(1);
    QThreadPool::globalInstance()->waitForDone();
    QApplication::processEvents();
    if (Form* viewer = window.viewer().form())
        saved = save(forms.windowOf(*viewer), out, "viewer-next.png") && saved;
    window.viewer().close();
    window.aboutButton.click();
    if (Form* about = window.about().form())
        saved = save(forms.windowOf(*about), out, "about.png") && saved;

    window.about().close();

    // The preview of a batch where some names are taken.
    window.sourceFiles.toggle(0);
    QFile(photos + "/Vacances05.jpg").open(QIODevice::WriteOnly);
    window.sourceFiles.refresh();
    window.targetFiles.refresh();
    window.genericName.setText("Vacances");
    window.stepBox.pick("2");
    window.digitOptions[0]->click();
    window.schemeOptions[1]->click();
    window.mnuApercu.click();
    if (Form* preview = window.preview().form()) {
        // Planned in the background, perhaps twice: the window is pictured once it is in.
        for (int pass = 0; pass < 3; ++pass) {
            QThreadPool::globalInstance()->waitForDone();
            QApplication::processEvents();
        }
        saved = save(forms.windowOf(*preview), out, "preview.png") && saved;
    }

    forms.closeAll();
    return saved ? 0 : 1;
}

} // namespace quorvel
