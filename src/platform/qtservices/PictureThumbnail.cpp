#include "platform/qtservices/PictureThumbnail.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageIOHandler>
#include <QImageReader>
#include <QTransform>
#include <cmath>
#include <cstdint>
#include <optional>

namespace quorvel {

namespace {

// The EXIF data of a JPEG file sits in its APP1 segment, before the image data.
constexpr qint64 headerBytes = qint64{128} * 1024;
// Larger than any camera's thumbnail: a bigger one is not what we look for.
constexpr int largestThumbnail = 1024;

class Tiff {
public:
    explicit Tiff(QByteArrayView data) : data_(data) {}

    bool open() {
        if (data_.size() < 8)
            return false;
        if (data_[0] == 'I' && data_[1] == 'I')
            little_ = true;
        else if (data_[0] == 'M' && data_[1] == 'M')
            little_ = false;
        else
            return false;
        return read(2, 2) == 42;
    }

    std::optional<std::uint32_t> read(qsizetype at, int size) const {
        if (at < 0 || size <= 0 || at > data_.size() - size)
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < size; ++i) {
            const auto byte = static_cast<std::uint8_t>(data_[at + (little_ ? size - 1 - i : i)]);
            value = (value << 8) | byte;
        }
        return value;
    }

    // The value of `tag` in the directory at `ifd`, and the offset of the next directory.
    std::optional<std::uint32_t> tag(std::uint32_t ifd, std::uint16_t wanted) const {
        const auto count = read(ifd, 2);
        if (!count)
            return std::nullopt;
        for (std::uint32_t i = 0; i < *count; ++i) {
            const qsizetype entry = qsizetype(ifd) + 2 + qsizetype(i) * 12;
            const auto id = read(entry, 2);
            const auto type = read(entry + 2, 2);
            if (!id || !type)
                return std::nullopt;
            if (*id == wanted)
                return read(entry + 8, *type == 3 ? 2 : 4);
        }
        return std::nullopt;
    }

    std::optional<std::uint32_t> nextDirectory(std::uint32_t ifd) const {
        const auto count = read(ifd, 2);
        return count ? read(qsizetype(ifd) + 2 + qsizetype(*count) * 12, 4) : std::nullopt;
    }

    QByteArrayView slice(std::uint32_t at, std::uint32_t length) const {
        if (qsizetype(at) > data_.size() || qsizetype(length) > data_.size() - qsizetype(at))
            return {};
        return data_.sliced(at, length);
    }

private:
    QByteArrayView data_;
    bool little_ = true;
};

// The TIFF structure of the APP1 "Exif" segment, or nothing.
QByteArrayView exifOf(const QByteArray& head) {
    if (head.size() < 4 || static_cast<std::uint8_t>(head[0]) != 0xFF ||
        static_cast<std::uint8_t>(head[1]) != 0xD8)
        return {};
    qsizetype at = 2;
    while (at + 4 <= head.size() && static_cast<std::uint8_t>(head[at]) == 0xFF) {
        const auto marker = static_cast<std::uint8_t>(head[at + 1]);
        if (marker == 0xDA || marker == 0xD9)
            break;
        const qsizetype length = (static_cast<std::uint8_t>(head[at + 2]) << 8) |
                                 static_cast<std::uint8_t>(head[at + 3]);
        if (length < 2 || at + 2 + length > head.size())
            break;
        const QByteArrayView segment(head.constData() + at + 4, length - 2);
        if (marker == 0xE1 && segment.startsWith(QByteArrayView("Exif\0\0", 6)))
            return segment.sliced(6);
        at += 2 + length;
    }
    return {};
}

// A cut thumbnail would still decode, grey where its data stop: it must end as a JPEG ends,
// past the zeros some cameras pad it with.
bool complete(QByteArrayView jpeg) {
    qsizetype end = jpeg.size();
    while (end > 0 && jpeg[end - 1] == '\0')
        --end;
    return end >= 4 && jpeg.first(end).endsWith(QByteArrayView("\xFF\xD9", 2));
}

} // namespace

QImage turnedUpright(QImage image, QImageIOHandler::Transformations turn) {
    if (turn & (QImageIOHandler::TransformationMirror | QImageIOHandler::TransformationFlip))
        image = image.mirrored(turn.testFlag(QImageIOHandler::TransformationMirror),
                               turn.testFlag(QImageIOHandler::TransformationFlip));
    if (turn & QImageIOHandler::TransformationRotate90)
        image = image.transformed(QTransform().rotate(90));
    return image;
}

QImage loadEmbeddedThumbnail(QIODevice& file, QSize stored, QImageIOHandler::Transformations turn,
                             QSize target) {
    if (target.isEmpty() || !stored.isValid() || stored.isEmpty() || !file.seek(0))
        return {};
    const QByteArray head = file.read(headerBytes);
    Tiff tiff(exifOf(head));
    if (!tiff.open())
        return {};
    const auto first = tiff.read(4, 4);
    const auto second = first ? tiff.nextDirectory(*first) : std::nullopt;
    if (!second || *second == 0)
        return {};
    const auto offset = tiff.tag(*second, 0x0201);
    const auto length = tiff.tag(*second, 0x0202);
    if (!offset || !length)
        return {};
    const QByteArrayView bytes = tiff.slice(*offset, *length);
    if (!complete(bytes))
        return {};

    QBuffer buffer;
    buffer.setData(bytes.toByteArray());
    QImageReader small(&buffer, "jpeg");
    const QSize declared = small.size();
    if (!declared.isValid() || declared.isEmpty() || declared.width() > largestThumbnail ||
        declared.height() > largestThumbnail)
        return {};
    QImage thumbnail = small.read();
    if (thumbnail.isNull())
        return {};
    const double photo = double(stored.width()) / stored.height();
    const double own = double(thumbnail.width()) / thumbnail.height();
    if (std::abs(own - photo) > 0.03 * photo)
        return {};
    thumbnail = turnedUpright(thumbnail, turn);
    if (thumbnail.width() < target.width() || thumbnail.height() < target.height())
        return {};
    return thumbnail.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace quorvel
