#include "platform/qt/PictureDecoding.h"

#include "platform/qt/QtPictures.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <cstdint>

namespace quorvel {

bool writeTestPhotograph(const std::string& path, int width, int height) {
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
    QImageWriter writer(QFile::decodeName(path.c_str()), "jpeg");
    writer.setQuality(90);
    return writer.write(image);
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
