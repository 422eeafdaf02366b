#include "platform/qt/QtPictures.h"

#include "platform/qt/PictureThumbnail.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <QScreen>
#include <QThreadPool>
#include <QtEndian>
#include <algorithm>
#include <array>
#include <fcntl.h>
#include <unistd.h>

namespace quorvel {

namespace {

// Largest picture we agree to show, whatever its header declares: beyond it a crafted or
// broken file would make us allocate gigabytes.
constexpr int maxPictureSide = 20000;
constexpr qint64 maxPicturePixels = 200'000'000;
// Frames up to this size, the thumbnails of the strip, take the camera's own thumbnail
// when the photograph has one: a larger frame would show its coarseness.
constexpr int largestThumbnailFrame = 256;

// Qt's own limit on one image, for allocations our estimates do not see; one setting for
// the whole process, which every way in sets before decoding.
// A name whose bytes are not UTF-8 would not survive a QString: such a file is opened by its
// bytes and read through the name of its descriptor.
class ByteName {
public:
    explicit ByteName(const std::string& path) {
        const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
        name_ = QFile::decodeName(bytes);
        if (QFile::encodeName(name_) == bytes)
            return;
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ >= 0)
            name_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
    }
    ~ByteName() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    ByteName(const ByteName&) = delete;
    ByteName& operator=(const ByteName&) = delete;
    const QString& name() const { return name_; }

private:
    QString name_;
    int fd_ = -1;
};

std::optional<PictureSize> sizeOf(const QString& path);

void limitAllocation() {
    QImageReader::setAllocationLimit(int(decodeMemory().total() >> 20));
}

bool quarterTurned(const QImageReader& reader) {
    return (reader.transformation() & QImageIOHandler::TransformationRotate90) != 0;
}

bool showable(QSize stored) {
    return stored.isValid() && !stored.isEmpty() && stored.width() <= maxPictureSide &&
           stored.height() <= maxPictureSide &&
           qint64(stored.width()) * stored.height() <= maxPicturePixels;
}

// A file whose reads fail once its decode should stop, which ends any decoder that reads
// as it goes.
class StoppableFile : public QFile {
public:
    StoppableFile(const QString& path, const Deadline& deadline)
        : QFile(path), deadline_(deadline) {}

protected:
    qint64 readData(char* data, qint64 size) override {
        return deadline_.over() ? -1 : QFile::readData(data, size);
    }

private:
    const Deadline& deadline_;
};

// The bytes a PNG inflates to, from its header: a small file can hold gigabytes of rows.
qint64 pngInflated(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray head = file.read(26);
    if (head.size() < 26 || !head.startsWith("\x89PNG\r\n\x1a\n") || head.mid(12, 4) != "IHDR")
        return 0;
    const qint64 width = qFromBigEndian<quint32>(head.constData() + 16);
    const qint64 height = qFromBigEndian<quint32>(head.constData() + 20);
    const int depth = static_cast<uchar>(head[24]);
    const int channels = std::array{1, 0, 3, 1, 2, 0, 4, 0}[static_cast<uchar>(head[25]) & 7];
    return height * (1 + (width * channels * depth + 7) / 8);
}

// Every format but JPEG, through Qt's readers, which cannot decode at a reduced scale.
DecodedImage decodeOther(const QString& path, const QImageReader& header, QSize target,
                         std::stop_token stop) {
    const QSize stored = header.size();
    const int depth = std::max(32, int(QImage::toPixelFormat(header.imageFormat()).bitsPerPixel()));
    const qint64 whole = qint64(stored.width()) * stored.height() * (depth / 8);
    const qint64 needed = std::max(whole, pngInflated(path)) +
                          qint64(target.width()) * target.height() * 4 + (1 << 20);
    DecodeMemory& memory = decodeMemory();
    const Reservation reserved(memory, needed, stop);
    if (reserved.fault() != PictureFault::None)
        return {{}, reserved.fault()};
    const Deadline deadline(stop, decodeTimeAllowed);
    StoppableFile file(path, deadline);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&file, header.format());
    reader.setAutoTransform(true);
    // The reader scales before the orientation is applied.
    reader.setScaledSize(quarterTurned(header) ? target.transposed() : target);
    QImage image = reader.read();
    if (const PictureFault fault = deadline.fault(); fault != PictureFault::None)
        return {{}, fault};
    if (image.isNull())
        return {};
    return {image, PictureFault::None};
}

} // namespace

QtPictures::QtPictures() {
    limitAllocation();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr)
        return;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        logicalScale_ = screen->logicalDotsPerInchX() / 96.0;
        deviceScale_ = screen->devicePixelRatio();
    }
}

QtPictures::~QtPictures() {
    QThreadPool::globalInstance()->waitForDone();
}

QSize QtPictures::pixels(const PictureSize& twips) const {
    // As the view sizes an image on this screen, then its device pixels.
    const auto side = [this](int length) {
        return qRound(qRound(length * logicalScale_ / 15.0) * deviceScale_);
    };
    return {side(twips.width), side(twips.height)};
}

std::optional<PictureSize> QtPictures::naturalSize(const std::string& path) {
    const ByteName name(path);
    return sizeOf(name.name());
}

namespace {

std::optional<PictureSize> sizeOf(const QString& path) {
    QImageReader reader(path);
    // size() reads the header only; nothing is decoded here.
    const QSize stored = reader.size();
    if (!showable(stored)) {
        return std::nullopt;
    }
    const QSize upright = quarterTurned(reader) ? stored.transposed() : stored;
    return PictureSize{upright.width(), upright.height()};
}

} // namespace

LoadedPicture QtPictures::load(const std::string& path,
                               const std::function<PictureSize(const PictureSize&)>& frameFor,
                               std::stop_token stop) {
    LoadedPicture loaded;
    if (stop.stop_requested()) {
        loaded.fault = PictureFault::Cancelled;
        return loaded;
    }
    const ByteName name(path);
    loaded.natural = sizeOf(name.name());
    if (!loaded.natural)
        return loaded;
    DecodedImage decoded = decodePicture(name.name(), pixels(frameFor(*loaded.natural)),
                                         Qt::IgnoreAspectRatio, std::move(stop));
    loaded.fault = decoded.fault;
    if (!decoded.image.isNull())
        loaded.picture = std::make_shared<QtPicture>(std::move(decoded.image));
    return loaded;
}

DecodedImage decodePicture(const QString& path, QSize frame, Qt::AspectRatioMode mode,
                           std::stop_token stop) {
    limitAllocation();
    if (frame.isEmpty()) {
        return {};
    }
    QImageReader reader(path);
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
            return {thumbnail, PictureFault::None};
    }
    if (reader.format() != "jpeg")
        return decodeOther(path, reader, target, std::move(stop));
    // The decoder works in the stored orientation; the picture is turned afterwards.
    DecodedImage decoded =
        decodeJpeg(path, turned ? target.transposed() : target, decodeMemory(), std::move(stop));
    if (!decoded.image.isNull())
        decoded.image = turnedUpright(std::move(decoded.image), reader.transformation());
    return decoded;
}

QImage loadScaledPicture(const QString& path, QSize frame, Qt::AspectRatioMode mode) {
    return decodePicture(path, frame, mode, {}).image;
}

} // namespace quorvel
