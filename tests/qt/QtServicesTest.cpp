#include "platform/posix/ProgramInfo.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtSettingsStore.h"
#include "platform/qtservices/QtShell.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QObject>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <QtEndian>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace quorvel {
namespace {

std::string str(const QString& s) {
    return QFile::encodeName(s).toStdString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// ---------------------------------------------------------------------------------------
// Settings

class QtSettingsStoreTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::string folder() const { return str(dir.path()); }
};

TEST_F(QtSettingsStoreTest, AbsentKeyIsNothingAndEmptyValueIsEmptyText) {
    QtSettingsStore store(folder());
    EXPECT_EQ(store.read("quorvel", "Data", "T1"), std::nullopt) << "no file at all";

    store.write("quorvel", "Data", "T1", "");
    ASSERT_TRUE(store.commit());

    QtSettingsStore later(folder());
    EXPECT_EQ(later.read("quorvel", "Data", "T1"), std::optional<std::string>(""));
    EXPECT_EQ(later.read("quorvel", "Data", "T2"), std::nullopt) << "file, but no such key";
    EXPECT_EQ(later.read("quorvel", "Autre", "T1"), std::nullopt) << "key of another section";
    EXPECT_EQ(later.read("copie", "Data", "T1"), std::nullopt) << "another application";
}

TEST_F(QtSettingsStoreTest, ValuesComeBackExactlyFromTheFile) {
    const std::vector<std::string> values{"abc",
                                          "2.5",
                                          "/",
                                          "0",
                                          "true",
                                          "Été à Noël, ça œuvre",
                                          "  blancs autour  ",
                                          " ",
                                          "\t",
                                          "a,b",
                                          "a, b, c",
                                          "@x",
                                          "\"cité\"",
                                          "x=y",
                                          "; pas un commentaire",
                                          "# non plus",
                                          "a\\b",
                                          "[Data]",
                                          "ligne\r\nsuivante",
                                          "/home/u/Photos 2007/été",
                                          "\xff\xfe hors UTF-8 \xe9"};
    {
        QtSettingsStore store(folder());
        for (size_t i = 0; i < values.size(); ++i) {
            store.write("quorvel", "Data", std::string("K").append(std::to_string(i)), values[i]);
        }
        ASSERT_TRUE(store.commit());
    }
    QtSettingsStore later(folder());
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(later.read("quorvel", "Data", std::string("K").append(std::to_string(i))),
                  std::optional<std::string>(values[i]))
            << "value #" << i;
    }
}

TEST_F(QtSettingsStoreTest, EachApplicationHasItsOwnIniFileWithADataGroup) {
    QtSettingsStore store(folder() + "/");
    store.write("quorvel", "Data", "T1", "Vacances été");
    store.write("copie", "Data", "T1", "Autre");
    ASSERT_TRUE(store.commit());

    const QByteArray text = readFile(dir.filePath("quorvel.ini"));
    EXPECT_TRUE(text.contains("[Data]")) << text.toStdString();
    EXPECT_TRUE(text.contains("T1=Vacances été")) << "readable UTF-8: " << text.toStdString();
    EXPECT_TRUE(readFile(dir.filePath("copie.ini")).contains("T1=Autre"));

    // A value placed by hand is read, next to ours.
    writeFile(dir.filePath("quorvel.ini"), text + "O2=2\n");
    EXPECT_EQ(QtSettingsStore(folder()).read("quorvel", "Data", "O2"),
              std::optional<std::string>("2"));
}

TEST_F(QtSettingsStoreTest, WritesAreReadBackAtOnceButReachTheDiskOnlyOnCommit) {
    QtSettingsStore store(folder());
    store.write("quorvel", "Data", "T2", "1");
    store.write("quorvel", "Data", "T2", "7");
    EXPECT_EQ(store.read("quorvel", "Data", "T2"), std::optional<std::string>("7"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("quorvel.ini")));

    ASSERT_TRUE(store.commit());
    EXPECT_EQ(QtSettingsStore(folder()).read("quorvel", "Data", "T2"),
              std::optional<std::string>("7"));
}

TEST_F(QtSettingsStoreTest, CommitKeepsOtherValuesAndReplacesTheFileWhole) {
    writeFile(dir.filePath("quorvel.ini"), "[Data]\nT1=Ancien\nDir=/photos\n[Autre]\nx=1\n");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("quorvel.ini")).constData(), &before), 0);

    QtSettingsStore store(folder());
    store.write("quorvel", "Data", "T1", "Nouveau");
    ASSERT_TRUE(store.commit());

    // A new inode: the content went to another file that was then renamed over the old
    // one, so no reader or crash ever sees a file cut in the middle.
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(dir.filePath("quorvel.ini")).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino);

    QtSettingsStore later(folder());
    EXPECT_EQ(later.read("quorvel", "Data", "T1"), std::optional<std::string>("Nouveau"));
    EXPECT_EQ(later.read("quorvel", "Data", "Dir"), std::optional<std::string>("/photos"));
    EXPECT_EQ(later.read("quorvel", "Autre", "x"), std::optional<std::string>("1"));

    // Neither the temporary file nor the lock is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"quorvel.ini"});
}

TEST_F(QtSettingsStoreTest, CommitFailsWhileTheFolderCannotBeMadeThenSavesOnRetry) {
    // A regular file where the folder should be: even root cannot write below it. Once it
    // is gone, the missing folders are made.
    writeFile(dir.filePath("bloque"), "x");
    QtSettingsStore store(folder() + "/bloque/cfg");
    store.write("quorvel", "Data", "T1", "garde");
    EXPECT_FALSE(store.commit());
    EXPECT_EQ(store.read("quorvel", "Data", "T1"), std::optional<std::string>("garde"));

    ASSERT_TRUE(QFile::remove(dir.filePath("bloque")));
    EXPECT_TRUE(store.commit()) << "an earlier failure must not stick";
    EXPECT_EQ(QtSettingsStore(folder() + "/bloque/cfg").read("quorvel", "Data", "T1"),
              std::optional<std::string>("garde"));
}

// ---------------------------------------------------------------------------------------
// Program facts

TEST(ProgramInfoTest, NamesTheRunningProgramFile) {
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    const ProgramInfo info = programInfo("ignored-when-proc-works");
    EXPECT_EQ(info.folder, exe.parent_path().string());
    EXPECT_TRUE(std::filesystem::path(info.folder).is_absolute());
    EXPECT_EQ(info.baseName, "quorvel_qt_tests");
}

TEST(ProgramInfoTest, ConfigurationFolderFollowsXdgThenHome) {
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    const QByteArray savedHome = qgetenv("HOME");
    const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");

    qputenv("HOME", "/home/anne");
    qputenv("XDG_CONFIG_HOME", "/srv/conf");
    EXPECT_EQ(defaultConfigFolder(), "/srv/conf");
    qputenv("XDG_CONFIG_HOME", "relatif/conf");
    EXPECT_EQ(defaultConfigFolder(), "/home/anne/.config") << "a relative value is ignored";
    qputenv("XDG_CONFIG_HOME", "");
    EXPECT_EQ(defaultConfigFolder(), "/home/anne/.config");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", "/home/anne/");
    EXPECT_EQ(defaultConfigFolder(), "/home/anne/.config");

    qputenv("HOME", savedHome);
    if (hadXdg) {
        qputenv("XDG_CONFIG_HOME", savedXdg);
    }
}

// ---------------------------------------------------------------------------------------
// Pictures

// Left half red, right half blue: tells which way a picture was turned.
QImage twoColours(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width / 2; ++x) {
            image.setPixelColor(x, y, Qt::red);
        }
    }
    return image;
}

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 95);
    return bytes;
}

// A JPEG whose EXIF block says: turn a quarter clockwise to show it upright.
QByteArray jpegTurnedClockwise(const QImage& stored) {
    QByteArray jpeg = encoded(stored, "JPEG");
    static const char app1[] = "\xFF\xE1\x00\x22"
                               "Exif\0\0"
                               "MM\x00\x2A\x00\x00\x00\x08" // big-endian TIFF, IFD at 8
                               "\x00\x01"                   // one entry
                               "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00" // orient. 6
                               "\x00\x00\x00\x00";                                // no further IFD
    jpeg.insert(2, QByteArray(app1, sizeof app1 - 1));
    return jpeg;
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char c : bytes) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

QByteArray be32(quint32 v) {
    QByteArray out(4, '\0');
    qToBigEndian(v, out.data());
    return out;
}

QByteArray le32(quint32 v) {
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

// A valid PNG header declaring the size; the image data are missing.
QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    auto chunk = [](const char* type, const QByteArray& data) {
        const QByteArray body = QByteArray(type) + data;
        return be32(quint32(data.size())) + body + be32(crc32(body));
    };
    const QByteArray ihdr = be32(width) + be32(height) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", {}) +
           chunk("IEND", {});
}

QByteArray le16(quint16 v) {
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

// An 8-bit run-length BMP whose data end at once: tiny on disk, whatever size it declares.
QByteArray bmpRunLength(quint32 width, quint32 height) {
    const QByteArray palette(256 * 4, '\0');
    const QByteArray data("\x00\x01", 2); // end of bitmap
    const quint32 offset = 14 + 40 + palette.size();
    const QByteArray info = le32(40) + le32(width) + le32(height) + le16(1) + le16(8) + le32(1) +
                            le32(data.size()) + le32(2835) + le32(2835) + le32(256) + le32(0);
    return QByteArray("BM") + le32(offset + data.size()) + le32(0) + le32(offset) + info + palette +
           data;
}

// A two-colour GIF whose single frame holds one pixel of data; the decoder fills the rest.
QByteArray gifImage(quint16 width, quint16 height) {
    const QByteArray screen = le16(width) + le16(height) + QByteArray("\x80\x00\x00", 3);
    const QByteArray colours("\x00\x00\x00\xff\xff\xff", 6);
    const QByteArray frame =
        QByteArray(",") + le16(0) + le16(0) + le16(width) + le16(height) + QByteArray(1, '\0');
    // Minimum code size 2, then the 3-bit codes clear (4), 0, end (5), low bits first.
    const QByteArray lzw("\x02\x02\x04\x01\x00", 5);
    return QByteArray("GIF89a") + screen + colours + frame + lzw + ";";
}

// A small real JPEG whose frame header claims another size.
QByteArray jpegDeclaring(quint16 width, quint16 height) {
    QByteArray jpeg = encoded(twoColours(64, 48), "JPEG");
    const qsizetype frame = jpeg.indexOf("\xFF\xC0");
    if (frame >= 0) {
        qToBigEndian(height, jpeg.data() + frame + 5);
        qToBigEndian(width, jpeg.data() + frame + 7);
    }
    return jpeg;
}

std::optional<std::pair<int, int>> sized(int width, int height) {
    return std::pair{width, height};
}

class QtPicturesTest : public testing::Test {
protected:
    QTemporaryDir dir;
    QtPictures pictures;

    QString put(const char* name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        return path;
    }
    // (width, height) as the logic would get it.
    std::optional<std::pair<int, int>> sizeOf(const QString& path) {
        const auto size = pictures.naturalSize(str(path));
        if (!size) {
            return std::nullopt;
        }
        return std::pair{size->width, size->height};
    }
};

TEST_F(QtPicturesTest, NaturalSizeOfEveryFormatWeShow) {
    const QImage landscape = twoColours(40, 30);
    // Qt has no GIF writer.
    const QString gif = put("p.gif", gifImage(40, 30));
    EXPECT_EQ(sizeOf(gif), sized(40, 30));
    EXPECT_EQ(loadScaledPicture(gif, QSize(20, 10)).size(), QSize(20, 10));
    for (const char* format : {"JPEG", "PNG", "BMP", "TIFF"}) {
        const QString path = put((std::string("p.") + format).c_str(), encoded(landscape, format));
        EXPECT_EQ(sizeOf(path), sized(40, 30)) << format;
        const QImage shown = loadScaledPicture(path, QSize(20, 10));
        EXPECT_EQ(shown.size(), QSize(20, 10)) << format;
    }
    const QString portrait = put("portrait.jpg", encoded(twoColours(30, 40), "JPEG"));
    EXPECT_EQ(sizeOf(portrait), sized(30, 40));
    // The extension does not decide: a PNG named .jpg is still a picture.
    EXPECT_EQ(sizeOf(put("png.jpg", encoded(landscape, "PNG"))), sized(40, 30));
}

TEST_F(QtPicturesTest, ExifOrientationGivesTheUprightSizeAndPicture) {
    const QString path = put("tourne.jpg", jpegTurnedClockwise(twoColours(40, 20)));
    EXPECT_EQ(sizeOf(path), sized(20, 40));

    // Stored left half red becomes the top half once turned clockwise.
    const QImage shown = loadScaledPicture(path, QSize(10, 20));
    ASSERT_EQ(shown.size(), QSize(10, 20));
    EXPECT_GT(shown.pixelColor(5, 3).red(), 200);
    EXPECT_LT(shown.pixelColor(5, 3).blue(), 60);
    EXPECT_GT(shown.pixelColor(5, 16).blue(), 200);

    EXPECT_EQ(loadScaledPicture(path, QSize(100, 100), Qt::KeepAspectRatio).size(), QSize(50, 100));
}

TEST_F(QtPicturesTest, ScaledPictureStretchesOrKeepsItsProportions) {
    const QString path = put("p.png", encoded(twoColours(40, 30), "PNG"));
    EXPECT_EQ(loadScaledPicture(path, QSize(14, 70)).size(), QSize(14, 70));
    EXPECT_EQ(loadScaledPicture(path, QSize(200, 60), Qt::KeepAspectRatio).size(), QSize(80, 60));
    EXPECT_EQ(loadScaledPicture(path, QSize(1, 1), Qt::KeepAspectRatio).size(), QSize(1, 1));
    EXPECT_TRUE(loadScaledPicture(path, QSize(0, 10)).isNull());
}

TEST_F(QtPicturesTest, FilesThatAreNotPicturesGiveNothing) {
    const std::vector<QString> paths = {
        put("x.jpg", "Ceci n'est pas une photo.\n"),
        put("vide.jpg", ""),
        put("x.mp3", "ID3\x03\x00 not an image"),
        dir.filePath("absent.jpg"),
        dir.path(),
        put("coupe.jpg", encoded(twoColours(40, 30), "JPEG").left(12))};
    for (const QString& path : paths) {
        EXPECT_EQ(sizeOf(path), std::nullopt) << str(path);
        EXPECT_TRUE(loadScaledPicture(path, QSize(20, 20)).isNull()) << str(path);
    }
}

TEST_F(QtPicturesTest, TruncatedPictureDoesNotBreakTheDecoder) {
    QImage noisy(200, 150, QImage::Format_RGB32);
    for (int y = 0; y < noisy.height(); ++y) {
        for (int x = 0; x < noisy.width(); ++x) {
            noisy.setPixel(x, y, qRgb((x * 37) % 256, (y * 91) % 256, (x * y) % 256));
        }
    }
    for (const char* format : {"JPEG", "PNG", "TIFF", "BMP"}) {
        const QByteArray whole = encoded(noisy, format);
        const QString path =
            put((std::string("moitie.") + format).c_str(), whole.left(whole.size() / 2));
        const QImage shown = loadScaledPicture(path, QSize(40, 30));
        EXPECT_TRUE(shown.isNull() || shown.size() == QSize(40, 30)) << format;
    }
}

TEST_F(QtPicturesTest, EnormousDeclaredSizeIsNotShown) {
    for (const auto& [name, bytes] : {std::pair{"geant.png", pngHeaderOnly(60000, 60000)},
                                      std::pair{"geant.bmp", bmpRunLength(60000, 60000)},
                                      std::pair{"geant.gif", gifImage(60000, 60000)},
                                      std::pair{"geant.jpg", jpegDeclaring(60000, 60000)},
                                      std::pair{"bande.gif", gifImage(30000, 100)},
                                      std::pair{"carre.bmp", bmpRunLength(15000, 15000)}}) {
        const QString path = put(name, bytes);
        EXPECT_EQ(sizeOf(path), std::nullopt) << name;
        EXPECT_TRUE(loadScaledPicture(path, QSize(100, 75)).isNull()) << name;
    }
}

QStringList* capturedMessages = nullptr;

void capture(QtMsgType, const QMessageLogContext&, const QString& message) {
    capturedMessages->append(message);
}

TEST_F(QtPicturesTest, DecodingStaysWithinTheAllocationLimit) {
    // 144 megapixels: small enough to be shown, but a whole decode needs 576 MB.
    const QString bmp = put("lourd.bmp", bmpRunLength(12000, 12000));
    const QString gif = put("lourd.gif", gifImage(12000, 12000));
    const QString jpeg = put("lourd.jpg", jpegDeclaring(12000, 12000));
    for (const QString& path : {bmp, gif, jpeg}) {
        EXPECT_EQ(sizeOf(path), sized(12000, 12000)) << str(path);
    }

    QStringList messages;
    capturedMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(capture);
    const QImage fromBmp = loadScaledPicture(bmp, QSize(100, 100));
    const QImage fromGif = loadScaledPicture(gif, QSize(100, 100));
    const QImage fromJpeg = loadScaledPicture(jpeg, QSize(100, 100));
    qInstallMessageHandler(previous);
    capturedMessages = nullptr;

    // Decoders that cannot scale are refused before they allocate, by our own estimate.
    EXPECT_TRUE(fromBmp.isNull());
    EXPECT_TRUE(fromGif.isNull());
    EXPECT_TRUE(messages.filter("allocation limit").isEmpty()) << str(messages.join('\n'));
    // A JPEG is decoded at an eighth of its size, well within the limit.
    EXPECT_EQ(fromJpeg.size(), QSize(100, 100));
}

// ---------------------------------------------------------------------------------------
// Shell

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public Q_SLOTS:
    void take(const QUrl& url) { urls.append(url); }
};

class QtShellTest : public testing::Test {
protected:
    void SetUp() override {
        for (const char* scheme : {"mailto", "file"}) {
            QDesktopServices::setUrlHandler(scheme, &catcher, "take");
        }
        savedPath = qgetenv("PATH");
    }
    void TearDown() override {
        for (const char* scheme : {"mailto", "file"}) {
            QDesktopServices::unsetUrlHandler(scheme);
        }
        qputenv("PATH", savedPath);
    }

    UrlCatcher catcher;
    QByteArray savedPath;
    QTemporaryDir dir;
    QtShell shell;
};

TEST_F(QtShellTest, OpenHandsTheMailLinkToTheDesktop) {
    shell.open("Open", "mailto:auteur@example.org", "/usr/bin", "About");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0].scheme(), "mailto");
    EXPECT_EQ(catcher.urls[0].path(), "auteur@example.org");
    EXPECT_TRUE(catcher.urls[0].query().isEmpty()) << "no subject, no body";
}

TEST_F(QtShellTest, HelpStartsTheViewerWithTheFile) {
    // A stand-in viewer, first in the search path, that notes what it was given.
    const QString noted = dir.filePath("vu.txt");
    const QString viewer = dir.filePath("xchm");
    writeFile(viewer, ("#!/bin/sh\nprintf '%s' \"$1\" > '" + noted + ".part' && mv '" + noted +
                       ".part' '" + noted + "'\n")
                          .toUtf8());
    QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", (dir.path() + ":" + QString::fromLocal8Bit(savedPath)).toLocal8Bit());

    shell.showHelp("/opt/quorvel/Quorvel.chm");

    QElapsedTimer waited;
    waited.start();
    while (!QFileInfo::exists(noted) && waited.elapsed() < 10000) {
        QThread::msleep(20);
    }
    EXPECT_EQ(readFile(noted), QByteArray("/opt/quorvel/Quorvel.chm"));
    EXPECT_TRUE(catcher.urls.isEmpty());
}

TEST_F(QtShellTest, HelpFallsBackToTheDesktopWithoutTheViewer) {
    qputenv("PATH", dir.path().toLocal8Bit());
    shell.showHelp("/opt/quorvel/Quorvel.chm");
    ASSERT_EQ(catcher.urls.size(), 1);
    EXPECT_EQ(catcher.urls[0], QUrl::fromLocalFile("/opt/quorvel/Quorvel.chm"));
}

} // namespace
} // namespace quorvel

#include "QtServicesTest.moc"
