#include "platform/qtservices/PictureExport.h"

#include "platform/qtservices/Icons.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <memory>

namespace quorvel {

namespace {

// Pixmaps need a GUI application; a build machine may have no display at all.
class PaintingApp {
public:
    PaintingApp() {
        if (QCoreApplication::instance() != nullptr)
            return;
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app_ = std::make_unique<QGuiApplication>(argc_, argv_);
    }

private:
    int argc_ = 1;
    char name_[16] = "quorvel-export";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

std::string saved(const QImage& image, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return "cannot create the folder of " + path.toStdString();
    if (!image.save(path, "PNG"))
        return "cannot write " + path.toStdString();
    return {};
}

// A landscape photograph as a print with a white border: sky, sun, hills, a lake.
void drawPrint(QPainter& p, const QRectF& print) {
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(QColor(252, 252, 248));
    p.drawRect(print);
    const QRectF scene = print.adjusted(6, 6, -6, -6);
    p.save();
    p.setClipRect(scene);
    QLinearGradient sky(scene.topLeft(), scene.bottomLeft());
    sky.setColorAt(0, QColor(70, 130, 210));
    sky.setColorAt(0.6, QColor(190, 220, 245));
    p.fillRect(scene, sky);
    p.setPen(Qt::NoPen);
    QRadialGradient sun(scene.left() + scene.width() * 0.75, scene.top() + scene.height() * 0.28,
                        scene.height() * 0.18);
    sun.setColorAt(0, QColor(255, 250, 200));
    sun.setColorAt(0.6, QColor(255, 210, 80));
    sun.setColorAt(1, QColor(255, 210, 80, 0));
    p.setBrush(sun);
    p.drawEllipse(sun.center(), scene.height() * 0.18, scene.height() * 0.18);

    const auto hill = [&](qreal top, qreal peak, const QColor& colour) {
        QPainterPath path;
        path.moveTo(scene.left(), scene.bottom());
        path.lineTo(scene.left(), scene.top() + scene.height() * top);
        path.quadTo(scene.left() + scene.width() * peak, scene.top() + scene.height() * 0.2,
                    scene.right(), scene.top() + scene.height() * (top + 0.1));
        path.lineTo(scene.right(), scene.bottom());
        p.setBrush(colour);
        p.drawPath(path);
    };
    hill(0.6, 0.3, QColor(110, 150, 90));
    hill(0.75, 0.7, QColor(60, 120, 60));
    QLinearGradient lake(scene.left(), scene.bottom() - scene.height() * 0.15, scene.left(),
                         scene.bottom());
    lake.setColorAt(0, QColor(90, 150, 200));
    lake.setColorAt(1, QColor(40, 90, 150));
    p.fillRect(QRectF(scene.left(), scene.bottom() - scene.height() * 0.15, scene.width(),
                      scene.height() * 0.15),
               lake);
    p.restore();
}

QImage aboutPicture() {
    QImage image(aboutPictureWidth, aboutPictureHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient background(0, 0, aboutPictureWidth, aboutPictureHeight);
    background.setColorAt(0, QColor(255, 236, 214));
    background.setColorAt(1, QColor(255, 200, 140));
    p.fillRect(image.rect(), background);

    // Two prints, the second laid over the first, as a batch of photographs.
    p.save();
    p.translate(95, 80);
    p.rotate(-9);
    p.setBrush(QColor(0, 0, 0, 40));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(-78, -52, 160, 110));
    drawPrint(p, QRectF(-82, -56, 160, 110));
    p.restore();
    p.save();
    p.translate(140, 92);
    p.rotate(7);
    p.setBrush(QColor(0, 0, 0, 50));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(-76, -50, 160, 110));
    drawPrint(p, QRectF(-80, -54, 160, 110));
    p.restore();

    const QPixmap icon = programIcon().pixmap(QSize(56, 56));
    p.drawPixmap(aboutPictureWidth - 62, aboutPictureHeight - 62, icon);
    p.end();
    return image;
}

std::string exportProgramIcon(const std::string& folder) {
    const QIcon icon = programIcon();
    const QString base = QFile::decodeName(folder.c_str());
    for (const int size : programIconSizes) {
        QImage image = icon.pixmap(QSize(size, size), 1.0).toImage();
        if (image.size() != QSize(size, size))
            image = image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const QString path = QStringLiteral("%1/%2x%2/apps/quorvel.png").arg(base).arg(size);
        if (std::string error = saved(image, path); !error.empty())
            return error;
    }
    return {};
}

} // namespace

std::string exportPictures(const std::string& iconFolder, const std::string& aboutPicturePath) {
    PaintingApp app;
    if (std::string error = exportProgramIcon(iconFolder); !error.empty())
        return error;
    return saved(aboutPicture(), QFile::decodeName(aboutPicturePath.c_str()));
}

} // namespace quorvel
