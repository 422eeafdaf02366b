#include "platform/qtservices/PictureDecoding.h"

#include "platform/qtservices/QtPictures.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cstdint>

namespace quorvel {

namespace {

void putBig(QByteArray& out, std::uint32_t value, int size) {
    for (int i = size - 1; i >= 0; --i)
        out += char((value >> (8 * i)) & 0xFF);
}

QByteArray jpeg(const QImage& image, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    return writer.write(image) ? bytes : QByteArray();
}

// An APP1 "Exif" segment holding a thumbnail, as a camera writes one: big-endian TIFF,
// IFD0 with the orientation "upright", IFD1 pointing at the thumbnail's JPEG data.
QByteArray exifSegment(const QByteArray& thumbnail) {
    QByteArray tiff("MM\0\x2a", 4);
    putBig(tiff, 8, 4);
    putBig(tiff, 1, 2);      // IFD0: one entry
    putBig(tiff, 0x0112, 2); // orientation
    putBig(tiff, 3, 2);      // SHORT
    putBig(tiff, 1, 4);
    putBig(tiff, 1u << 16, 4);       // 1, left-justified
    putBig(tiff, 8 + 2 + 12 + 4, 4); // IFD1 follows
    const std::uint32_t data = 26 + 2 + 3 * 12 + 4;
    putBig(tiff, 3, 2);      // IFD1: three entries
    putBig(tiff, 0x0103, 2); // compression: JPEG
    putBig(tiff, 3, 2);
    putBig(tiff, 1, 4);
    putBig(tiff, 6u << 16, 4);
    putBig(tiff, 0x0201, 2); // thumbnail offset
    putBig(tiff, 4, 2);
    putBig(tiff, 1, 4);
    putBig(tiff, data, 4);
    putBig(tiff, 0x0202, 2); // thumbnail length
    putBig(tiff, 4, 2);
    putBig(tiff, 1, 4);
    putBig(tiff, std::uint32_t(thumbnail.size()), 4);
    putBig(tiff, 0, 4);
    tiff += thumbnail;
    QByteArray segment("\xff\xe1", 2);
    putBig(segment, std::uint32_t(2 + 6 + tiff.size()), 2);
    segment += QByteArray("Exif\0\0", 6);
    segment += tiff;
    return segment;
}

} // namespace

bool writeTestPhotograph(const std::string& path, int width, int height, bool withThumbnail) {
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    // Smooth gradients under a grain of noise: as costly to code as a real photograph.
    std::uint32_t seed = 0x9e3779b9u ^ static_cast<std::uint32_t>(width * 31 + height);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 27) - 16;
            const int r = x * 255 / width + grain;
            const int g = y * 255 / height + grain;
            const int b = ((x + y) & 255) / 2 + 64 + grain;
            line[x] = qRgb(qBound(0, r, 255), qBound(0, g, 255), qBound(0, b, 255));
        }
    }
    QByteArray bytes = jpeg(image, 90);
    if (bytes.size() < 2)
        return false;
    if (withThumbnail) {
        // A camera's thumbnail: 160 pixels on the long side, the photograph's proportions.
        const QImage small =
            image.scaled(QSize(160, 160), Qt::KeepAspectRatio, Qt::SmoothTransformation);
        const QByteArray thumbnail = jpeg(small, 75);
        if (thumbnail.isEmpty() || thumbnail.size() > 60000)
            return false;
        bytes.insert(2, exifSegment(thumbnail));
    }
    QFile file(QFile::decodeName(path.c_str()));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool decodeScaledPicture(const std::string& path, int width, int height) {
    return !loadScaledPicture(QFile::decodeName(path.c_str()), QSize(width, height)).isNull();
}

bool decodeWholePicture(const std::string& path) {
    QImageReader reader(QFile::decodeName(path.c_str()));
    reader.setAutoTransform(true);
    return !reader.read().isNull();
}

} // namespace quorvel
