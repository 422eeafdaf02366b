#include "platform/qt/QtPictures.h"

#include "platform/qt/PictureThumbnail.h"

#include <QFile>
#include <QImageIOHandler>
#include <QImageReader>

namespace quorvel {

namespace {

// Largest picture we agree to show, whatever its header declares: beyond it a crafted or
// broken file would make us allocate gigabytes.
constexpr int maxPictureSide = 20000;
constexpr qint64 maxPicturePixels = 200'000'000;
// Memory a decoder may take for one picture, in megabytes.
constexpr int pictureAllocationLimitMb = 256;
// Frames up to this size, the thumbnails of the strip, take the camera's own thumbnail
// when the photograph has one: a larger frame would show its coarseness.
constexpr int largestThumbnailFrame = 256;

// The limit is one setting for the whole process; every way in sets it before decoding.
void limitAllocation() {
    QImageReader::setAllocationLimit(pictureAllocationLimitMb);
}

bool quarterTurned(const QImageReader& reader) {
    return (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
}

bool showable(QSize stored) {
    return stored.isValid() && !stored.isEmpty() && stored.width() <= maxPictureSide &&
           stored.height() <= maxPictureSide &&
           qint64(stored.width()) * stored.height() <= maxPicturePixels;
}

} // namespace

QtPictures::QtPictures() {
    limitAllocation();
}

std::optional<PictureSize> QtPictures::naturalSize(const std::string& path) {
    QImageReader reader(QFile::decodeName(path.c_str()));
    // size() reads the header only; nothing is decoded here.
    const QSize stored = reader.size();
    if (!showable(stored)) {
        return std::nullopt;
    }
    const QSize upright = quarterTurned(reader) ? stored.transposed() : stored;
    return PictureSize{upright.width(), upright.height()};
}

QImage loadScaledPicture(const QString& path, QSize frame, Qt::AspectRatioMode mode) {
    limitAllocation();
    if (frame.isEmpty()) {
        return {};
    }
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!showable(stored)) {
        return {};
    }
    const bool turned = quarterTurned(reader);
    const QSize upright = turned ? stored.transposed() : stored;
    const QSize target = upright.scaled(frame, mode).expandedTo(QSize(1, 1));
    if (mode == Qt::IgnoreAspectRatio && frame.width() <= largestThumbnailFrame &&
        frame.height() <= largestThumbnailFrame) {
        QImage thumbnail = loadEmbeddedThumbnail(path, target);
        if (!thumbnail.isNull())
            return thumbnail;
    }
    // The decoder scales before the orientation is applied, so it is given the stored
    // orientation of the target.
    reader.setScaledSize(turned ? target.transposed() : target);
    return reader.read();
}

} // namespace quorvel
