#include "platform/qtservices/QtPictures.h"

#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/PictureFile.h"
#include "platform/qtservices/PictureThumbnail.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageIOHandler>
#include <QImageReader>
#include <QScreen>
#include <QtEndian>
#include <algorithm>
#include <array>
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
void limitAllocation() {
    QImageReader::setAllocationLimit(int(decodeMemory().total() >> 20));
}

// What a picture's header says, read through the same bounded reads as its decoding.
struct Header {
    QSize stored;
    QByteArray format;
    QImageIOHandler::Transformations turn;
    QImage::Format pixels = QImage::Format_Invalid;
    bool scalesAsItReads = false;
    // Why the header could not be read when it could not: None for a file that is no picture.
    PictureFault fault = PictureFault::None;

    bool quarterTurned() const { return (turn & QImageIOHandler::TransformationRotate90) != 0; }
    QSize upright() const { return quarterTurned() ? stored.transposed() : stored; }
    bool showable() const {
        return stored.isValid() && !stored.isEmpty() && stored.width() <= maxPictureSide &&
               stored.height() <= maxPictureSide &&
               qint64(stored.width()) * stored.height() <= maxPicturePixels;
    }
};

Header readHeader(const PictureFile& file, std::stop_token stop) {
    Header header;
    const Deadline deadline(std::move(stop), decodeTimeAllowed);
    BoundedPictureReads reads(file, deadline);
    if (reads.isOpen()) {
        QImageReader reader(&reads);
        // size() reads the header only; nothing is decoded here.
        header.stored = reader.size();
        header.format = reader.format();
        header.turn = reader.transformation();
        header.pixels = reader.imageFormat();
        header.scalesAsItReads = reader.supportsOption(QImageIOHandler::ScaledSize);
    }
    header.fault = deadline.fault();
    return header;
}

// The bytes a PNG inflates to, from its header: a small file can hold gigabytes of rows.
qint64 pngInflated(const PictureFile& file) {
    QByteArray head(26, '\0');
    if (const Result<std::size_t> read = sys::pread(file.descriptor(), head.data(), 26, 0);
        !read || read.value() != 26 || !head.startsWith("\x89PNG\r\n\x1a\n") ||
        head.mid(12, 4) != "IHDR")
        return 0;
    const qint64 width = qFromBigEndian<quint32>(head.constData() + 16);
    const qint64 height = qFromBigEndian<quint32>(head.constData() + 20);
    const int depth = static_cast<uchar>(head[24]);
    const int channels = std::array{1, 0, 3, 1, 2, 0, 4, 0}[static_cast<uchar>(head[25]) & 7];
    return height * (1 + (width * channels * depth + 7) / 8);
}

// The bytes a decode through Qt's readers holds at its peak, from the header alone. A reader
// that decodes at a reduced scale holds at most the whole picture at 32 bits a pixel (a PNG,
// the rows it inflates). Any other decodes the whole picture in its own format, then scales a
// copy of it at 32 bits a pixel, or 64 for a picture finer than 8 bits a channel.
qint64 memoryNeeded(const Header& header, QSize target, qint64 inflated) {
    const qint64 pixels = qint64(header.stored.width()) * header.stored.height();
    const int bits = header.pixels == QImage::Format_Invalid
                         ? 32
                         : int(QImage::toPixelFormat(header.pixels).bitsPerPixel());
    qint64 decoded = 0;
    if (header.scalesAsItReads) {
        decoded = std::max(pixels * std::max(bits, 32) / 8, inflated);
    } else {
        const bool deep = bits > 32 || header.pixels == QImage::Format_Grayscale16;
        decoded = std::max(pixels * std::max(bits, 8) / 8, inflated) + pixels * (deep ? 8 : 4);
    }
    return decoded + qint64(target.width()) * target.height() * 4 + (1 << 20);
}

// Every format but JPEG, through Qt's readers, at a reduced scale where they can.
DecodedImage decodeOther(const PictureFile& file, const Header& header, QSize target,
                         const std::stop_token& stop) {
    const Reservation reserved(decodeMemory(), memoryNeeded(header, target, pngInflated(file)),
                               stop);
    if (reserved.fault() != PictureFault::None)
        return {{}, reserved.fault()};
    const Deadline deadline(stop, decodeTimeAllowed);
    BoundedPictureReads reads(file, deadline);
    if (!reads.isOpen())
        return {};
    QImageReader reader(&reads, header.format);
    reader.setAutoTransform(true);
    // The reader scales before the orientation is applied.
    reader.setScaledSize(header.quarterTurned() ? target.transposed() : target);
    QImage image = reader.read();
    if (const PictureFault fault = deadline.fault(); fault != PictureFault::None)
        return {{}, fault};
    if (image.isNull())
        return {};
    return {image, PictureFault::None};
}

DecodedImage decodeOpened(const PictureFile& file, const Header& header, QSize frame,
                          Qt::AspectRatioMode mode, const std::stop_token& stop) {
    limitAllocation();
    if (frame.isEmpty())
        return {};
    if (!header.showable())
        return {{}, header.fault == PictureFault::None ? PictureFault::NotAPicture : header.fault};
    const QSize target = header.upright().scaled(frame, mode).expandedTo(QSize(1, 1));
    if (mode == Qt::IgnoreAspectRatio && frame.width() <= largestThumbnailFrame &&
        frame.height() <= largestThumbnailFrame) {
        const Deadline deadline(stop, decodeTimeAllowed);
        BoundedPictureReads reads(file, deadline);
        QImage thumbnail = loadEmbeddedThumbnail(reads, header.stored, header.turn, target);
        if (!thumbnail.isNull())
            return {thumbnail, PictureFault::None};
    }
    if (header.format != "jpeg")
        return decodeOther(file, header, target, stop);
    // The decoder works in the stored orientation; the picture is turned afterwards.
    DecodedImage decoded = decodeJpeg(file, header.quarterTurned() ? target.transposed() : target,
                                      decodeMemory(), stop);
    if (!decoded.image.isNull())
        decoded.image = turnedUpright(std::move(decoded.image), header.turn);
    return decoded;
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
    backgroundPool().waitForDone();
}

QSize QtPictures::pixels(const PictureSize& twips) const {
    // As the view sizes an image on this screen, then its device pixels.
    const auto side = [this](int length) {
        return qRound(qRound(length * logicalScale_ / 15.0) * deviceScale_);
    };
    return {side(twips.width), side(twips.height)};
}

std::optional<PictureSize> QtPictures::naturalSize(const std::string& path) {
    const PictureFile file(path);
    const Header header = readHeader(file, {});
    if (!header.showable())
        return std::nullopt;
    return PictureSize{header.upright().width(), header.upright().height()};
}

LoadedPicture QtPictures::load(const std::string& path,
                               const std::function<PictureSize(const PictureSize&)>& frameFor,
                               std::stop_token stop) {
    LoadedPicture loaded;
    if (stop.stop_requested()) {
        loaded.fault = PictureFault::Cancelled;
        return loaded;
    }
    const PictureFile file(path);
    const Header header = readHeader(file, stop);
    if (!header.showable()) {
        if (header.fault != PictureFault::None)
            loaded.fault = header.fault;
        return loaded;
    }
    loaded.natural = PictureSize{header.upright().width(), header.upright().height()};
    DecodedImage decoded =
        decodeOpened(file, header, pixels(frameFor(*loaded.natural)), Qt::IgnoreAspectRatio, stop);
    loaded.fault = decoded.fault;
    if (!decoded.image.isNull())
        loaded.picture = std::make_shared<QtPicture>(std::move(decoded.image));
    return loaded;
}

DecodedImage decodePicture(const QString& path, QSize frame, Qt::AspectRatioMode mode,
                           const std::stop_token& stop) {
    if (frame.isEmpty())
        return {};
    const PictureFile file(path);
    const Header header = readHeader(file, stop);
    return decodeOpened(file, header, frame, mode, stop);
}

QImage loadScaledPicture(const QString& path, QSize frame, Qt::AspectRatioMode mode) {
    return decodePicture(path, frame, mode, {}).image;
}

} // namespace quorvel
