#include "platform/qtservices/PictureThumbnail.h"

#include "platform/qtservices/QtPictures.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <string>

namespace quorvel {
namespace {

QByteArray le16(quint16 v) {
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray le32(quint32 v) {
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray be16(quint16 v) {
    QByteArray out(2, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray jpeg(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 95);
    return bytes;
}

// Four quadrants, red, green, blue and grey, at the given brightness: the photograph is
// drawn bright and its thumbnail dim, so that a shown picture tells where it came from.
QImage quadrants(int width, int height, int level) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    const int w = width / 2;
    const int h = height / 2;
    p.fillRect(0, 0, w, h, QColor(level, 0, 0));
    p.fillRect(w, 0, width - w, h, QColor(0, level, 0));
    p.fillRect(0, h, w, height - h, QColor(0, 0, level));
    p.fillRect(w, h, width - w, height - h, QColor(level, level, level));
    return image;
}

// Little-endian TIFF as many cameras write it: IFD0 with the orientation, IFD1 with the
// offset and length of the thumbnail, then the thumbnail's JPEG data.
QByteArray tiffWithThumbnail(const QByteArray& thumbnail, quint16 orientation) {
    QByteArray tiff = QByteArray("II*\0", 4) + le32(8);
    tiff += le16(1) + le16(0x0112) + le16(3) + le32(1) + le16(orientation) + le16(0);
    tiff += le32(26);
    const quint32 data = 26 + 2 + 2 * 12 + 4;
    tiff += le16(2);
    tiff += le16(0x0201) + le16(4) + le32(1) + le32(data);
    tiff += le16(0x0202) + le16(4) + le32(1) + le32(quint32(thumbnail.size()));
    tiff += le32(0);
    return tiff + thumbnail;
}

// The photograph's JPEG with an APP1 "Exif" segment holding `tiff` right after its start.
QByteArray withExif(const QByteArray& photo, const QByteArray& tiff) {
    const QByteArray body = QByteArray("Exif\0\0", 6) + tiff;
    QByteArray bytes = photo;
    bytes.insert(2, QByteArray("\xFF\xE1", 2) + be16(quint16(2 + body.size())) + body);
    return bytes;
}

// Which quadrant colour a pixel shows ('R', 'G', 'B', 'W' or '?'), and whether bright.
std::string seen(const QImage& image, int x, int y) {
    const QColor c = image.pixelColor(x, y);
    const int top = std::max({c.red(), c.green(), c.blue()});
    const auto on = [top](int channel) { return channel > top / 2; };
    char colour = '?';
    if (on(c.red()) && on(c.green()) && on(c.blue()))
        colour = 'W';
    else if (on(c.red()) && !on(c.green()) && !on(c.blue()))
        colour = 'R';
    else if (on(c.green()) && !on(c.red()) && !on(c.blue()))
        colour = 'G';
    else if (on(c.blue()) && !on(c.red()) && !on(c.green()))
        colour = 'B';
    return std::string(1, colour) + (top > 190 ? "+" : top > 80 ? "-" : "0");
}

// The four quadrant colours of a shown picture, clockwise from the top left.
std::string corners(const QImage& image) {
    const int w = image.width();
    const int h = image.height();
    return seen(image, w / 4, h / 4) + seen(image, 3 * w / 4, h / 4) +
           seen(image, 3 * w / 4, 3 * h / 4) + seen(image, w / 4, 3 * h / 4);
}

// The camera's thumbnail of the photograph at `path`, as a decode of the strip asks for it.
QImage embedded(const QString& path, QSize frame) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(path);
    return loadEmbeddedThumbnail(file, reader.size(), reader.transformation(), frame);
}

class PictureThumbnailTest : public testing::Test {
protected:
    QTemporaryDir dir;
    const QByteArray photo = jpeg(quadrants(400, 300, 255));
    const QByteArray thumbnail = jpeg(quadrants(160, 120, 128));

    QString put(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(bytes), bytes.size());
        return path;
    }
};

TEST_F(PictureThumbnailTest, ThumbnailIsTurnedAsThePhotographForEveryOrientation) {
    for (quint16 orientation = 1; orientation <= 8; ++orientation) {
        const QString path =
            put("photo.jpg", withExif(photo, tiffWithThumbnail(thumbnail, orientation)));
        QImageReader reader(path);
        reader.setAutoTransform(true);
        const QImage reference = reader.read();
        const bool turned = orientation >= 5;
        ASSERT_EQ(reference.size(), turned ? QSize(300, 400) : QSize(400, 300)) << orientation;

        const QSize frame = turned ? QSize(87, 116) : QSize(116, 87);
        const QImage shown = embedded(path, frame);
        ASSERT_EQ(shown.size(), frame) << orientation;
        std::string expected = corners(reference);
        for (std::size_t at = 1; at < expected.size(); at += 2)
            expected[at] = '-';
        EXPECT_EQ(corners(shown), expected) << "orientation " << orientation;
        EXPECT_EQ(corners(loadScaledPicture(path, frame)), expected) << orientation;
    }
    // Orientation 6, a quarter turn clockwise: the stored left column comes on top.
    const QString path = put("six.jpg", withExif(photo, tiffWithThumbnail(thumbnail, 6)));
    EXPECT_EQ(corners(loadScaledPicture(path, QSize(87, 116))), "B-R-G-W-");
}

TEST_F(PictureThumbnailTest, ThumbnailWithOtherProportionsIsRefused) {
    // A square thumbnail with bars above and below a 4:3 photograph.
    QImage boxed(160, 160, QImage::Format_RGB32);
    boxed.fill(Qt::black);
    QPainter(&boxed).drawImage(0, 20, quadrants(160, 120, 128));
    const QString path = put("barres.jpg", withExif(photo, tiffWithThumbnail(jpeg(boxed), 1)));
    EXPECT_TRUE(embedded(path, QSize(116, 87)).isNull());
    const QImage shown = loadScaledPicture(path, QSize(116, 87));
    ASSERT_EQ(shown.size(), QSize(116, 87));
    EXPECT_EQ(corners(shown), "R+G+W+B+");
}

TEST_F(PictureThumbnailTest, FrameLargerThanTheThumbnailOrKeepingProportionsDecodesThePhoto) {
    const QString path = put("photo.jpg", withExif(photo, tiffWithThumbnail(thumbnail, 1)));
    EXPECT_TRUE(embedded(path, QSize(200, 150)).isNull());
    EXPECT_EQ(corners(loadScaledPicture(path, QSize(200, 150))), "R+G+W+B+");
    EXPECT_EQ(corners(loadScaledPicture(path, QSize(160, 120))), "R-G-W-B-") << "just fits";
    EXPECT_EQ(corners(loadScaledPicture(path, QSize(116, 87), Qt::KeepAspectRatio)), "R+G+W+B+");

    // A large thumbnail is for small frames only: in a large one its coarseness would show.
    const QString large =
        put("grande.jpg", withExif(jpeg(quadrants(800, 600, 255)),
                                   tiffWithThumbnail(jpeg(quadrants(400, 300, 128)), 1)));
    EXPECT_EQ(corners(embedded(large, QSize(300, 225))), "R-G-W-B-");
    EXPECT_EQ(corners(loadScaledPicture(large, QSize(300, 225))), "R+G+W+B+");
    EXPECT_EQ(corners(loadScaledPicture(large, QSize(240, 180))), "R-G-W-B-");
}

TEST_F(PictureThumbnailTest, DamagedExifFallsBackToThePhotograph) {
    const QByteArray good = tiffWithThumbnail(thumbnail, 1);
    const auto patched = [&](qsizetype at, const QByteArray& bytes) {
        QByteArray tiff = good;
        tiff.replace(at, bytes.size(), bytes);
        return tiff;
    };
    const std::pair<const char*, QByteArray> damaged[] = {
        {"byte order", patched(0, "XX")},
        {"magic", patched(2, le16(43))},
        {"IFD0 past the end", patched(4, le32(0xFFFFFFF0u))},
        {"huge IFD0 count", patched(8, le16(0xFFFF))},
        {"IFD1 past the end", patched(22, le32(0x7FFFFFFFu))},
        {"no IFD1", patched(22, le32(0))},
        {"offset past the end", patched(26 + 2 + 8, le32(0xFFFFFFFFu))},
        {"length past the end", patched(26 + 2 + 12 + 8, le32(0xFFFFFFFFu))},
        {"offset plus length wraps", patched(26 + 2 + 8, le32(0xFFFFFF00u))},
        {"length past the thumbnail", good.left(good.size() - thumbnail.size() / 2)},
        {"thumbnail cut short", tiffWithThumbnail(thumbnail.left(thumbnail.size() / 2), 1)},
        {"thumbnail is not a JPEG", good.left(56) + QByteArray(thumbnail.size(), 'x')},
        {"thumbnail is a PNG",
         [&] {
             QByteArray png;
             QBuffer buffer(&png);
             buffer.open(QIODevice::WriteOnly);
             quadrants(160, 120, 128).save(&buffer, "PNG");
             return tiffWithThumbnail(png, 1);
         }()},
    };
    for (const auto& [what, tiff] : damaged) {
        const QString path = put("abime.jpg", withExif(photo, tiff));
        EXPECT_TRUE(embedded(path, QSize(116, 87)).isNull()) << what;
        EXPECT_EQ(corners(loadScaledPicture(path, QSize(116, 87))), "R+G+W+B+") << what;
    }

    // Every cut of the EXIF block, its segment length kept true: never a crash, and the
    // picture either way.
    for (qsizetype cut = 0; cut < good.size(); cut += 7) {
        const QString path = put("coupe.jpg", withExif(photo, good.left(cut)));
        EXPECT_TRUE(embedded(path, QSize(116, 87)).isNull()) << cut;
        EXPECT_EQ(loadScaledPicture(path, QSize(116, 87)).size(), QSize(116, 87)) << cut;
    }
    // A file that stops inside its EXIF block: nothing to show, and no crash.
    const QString stopped = put("arrete.jpg", withExif(photo, good).left(200));
    EXPECT_TRUE(embedded(stopped, QSize(116, 87)).isNull());
    EXPECT_TRUE(loadScaledPicture(stopped, QSize(116, 87)).isNull());
}

} // namespace
} // namespace quorvel
