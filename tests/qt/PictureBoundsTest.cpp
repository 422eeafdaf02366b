// Hostile pictures and slow decoders: the window keeps answering and the program's memory
// stays bounded.
#include "app/MainWindow.h"
#include "platform/Clock.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/BackgroundWork.h"
#include "platform/qtservices/QtPictures.h"
#include "platform/qtservices/QtToolkit.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"
#include "view/QtFormHost.h"
#include "viewer/PhotoViewer.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>
#include <QTimer>
#include <QtEndian>
#include <algorithm>
#include <condition_variable>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>
#include <zlib.h>

namespace quorvel {
namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QImage pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / width, y * 255 / height, (x * y) & 255));
    return image;
}

QByteArray jpeg(const QImage& image, bool progressive) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    writer.write(image);
    return bytes;
}

// A small JPEG whose frame header declares another size: a few hundred bytes that make a
// decoder work as for the size declared.
QByteArray jpegDeclaring(bool progressive, quint16 width, quint16 height) {
    QByteArray bytes = jpeg(pattern(64, 48), progressive);
    const qsizetype frame = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    if (frame < 0)
        return {};
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    return bytes;
}

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk(4, '\0');
    qToBigEndian(quint32(data.size()), chunk.data());
    chunk += QByteArray(type, 4) + data;
    QByteArray crc(4, '\0');
    const QByteArray covered = chunk.mid(4);
    qToBigEndian(quint32(crc32(0, reinterpret_cast<const Bytef*>(covered.constData()),
                               uInt(covered.size()))),
                 crc.data());
    return chunk + crc;
}

// A black RGB picture whose rows inflate to `height` × (1 + 3 × `width`) bytes, from a file
// a thousand times smaller; written a row at a time, so that making it costs no memory.
QByteArray pngBomb(quint32 width, quint32 height) {
    QByteArray header(13, '\0');
    qToBigEndian(width, header.data());
    qToBigEndian(height, header.data() + 4);
    header[8] = 8; // bits per sample
    header[9] = 2; // RGB
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    const std::vector<Bytef> row(1 + 3 * std::size_t(width), 0);
    std::vector<Bytef> out(1 << 16);
    QByteArray data;
    for (quint32 y = 0; y <= height; ++y) {
        const bool last = y == height;
        z.next_in = const_cast<Bytef*>(row.data());
        z.avail_in = last ? 0 : uInt(row.size());
        int status = Z_OK;
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            data.append(reinterpret_cast<const char*>(out.data()),
                        qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0 || (last && status != Z_STREAM_END));
    }
    deflateEnd(&z);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", data) +
           pngChunk("IEND", {});
}

// The most memory this process has held, in megabytes.
long peakMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    long kilobytes = -1;
    while (status >> key) {
        if (key == "VmHWM:")
            status >> kilobytes;
    }
    return kilobytes < 0 ? -1 : kilobytes / 1024;
}

class PictureBoundsTest : public testing::Test {
protected:
    QTemporaryDir dir;
    // Four hostile files of a few kilobytes: two progressive JPEGs that declare 200
    // megapixels, whose coefficients alone would take 600 MB; a PNG that inflates to
    // 192 MB; a baseline JPEG of 200 megapixels, shown at an eighth.
    std::string hostile() {
        put(dir.filePath("a_progressif.jpg"), jpegDeclaring(true, 20000, 10000));
        put(dir.filePath("b_bombe.png"), pngBomb(8000, 8000));
        put(dir.filePath("c_progressif.jpg"), jpegDeclaring(true, 10000, 20000));
        put(dir.filePath("d_geant.jpg"), jpegDeclaring(false, 20000, 10000));
        return dir.path().toStdString();
    }
    std::string at(const char* name) const { return dir.filePath(name).toStdString(); }
};

TEST_F(PictureBoundsTest, HostilePicturesAreRefusedBeforeTheyAreDecoded) {
    hostile();
    QtPictures pictures;
    const auto landscape = [](const PictureSize&) { return PictureSize{1740, 1305}; };
    for (const char* name : {"a_progressif.jpg", "b_bombe.png", "c_progressif.jpg"}) {
        const LoadedPicture loaded = pictures.load(at(name), landscape, {});
        EXPECT_TRUE(loaded.natural.has_value()) << name;
        EXPECT_EQ(loaded.picture, nullptr) << name;
        EXPECT_EQ(loaded.fault, PictureFault::TooLarge) << name;
    }
    // A baseline JPEG needs no more than its rows: an eighth of it is decoded, grey.
    const LoadedPicture giant = pictures.load(at("d_geant.jpg"), landscape, {});
    EXPECT_NE(giant.picture, nullptr);
    EXPECT_EQ(giant.fault, PictureFault::None);
}

TEST_F(PictureBoundsTest, ADecodeAskedToStopGivesUpInEveryDecoder) {
    const QString progressive = dir.filePath("p.jpg");
    put(progressive, jpeg(pattern(1600, 1200), true));
    const QString baseline = dir.filePath("b.jpg");
    put(baseline, jpeg(pattern(1600, 1200), false));
    const QString png = dir.filePath("p.png");
    put(png, pngBomb(3000, 3000));
    for (const QString& path : {progressive, baseline, png}) {
        const DecodedImage whole = decodePicture(path, QSize(400, 300), Qt::IgnoreAspectRatio, {});
        EXPECT_EQ(whole.image.size(), QSize(400, 300)) << path.toStdString();
        std::stop_source stop;
        stop.request_stop();
        const DecodedImage stopped =
            decodePicture(path, QSize(400, 300), Qt::IgnoreAspectRatio, stop.get_token());
        EXPECT_TRUE(stopped.image.isNull()) << path.toStdString();
        EXPECT_EQ(stopped.fault, PictureFault::Cancelled) << path.toStdString();
    }
}

TEST_F(PictureBoundsTest, TheViewerSaysAPictureWouldTakeTooMuchMemory) {
    const std::string folder = hostile();
    ScriptedToolkit toolkit;
    PosixFileSystem fs;
    MemorySettingsStore settings;
    QtPictures pictures;
    RecordingShell shell;
    SystemClock clock;
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, {folder, "quorvel"}},
                      toolkit);
    window.viewer().ViewPhoto(at("a_progressif.jpg"));
    ASSERT_FALSE(toolkit.events().empty());
    EXPECT_EQ(toolkit.events().back().text,
              "Impossible d'afficher a_progressif.jpg : l'image demanderait trop de mémoire.");
    EXPECT_EQ(window.viewer().form(), nullptr);
}

// Passes the loads on once the test opens the gate: a decode as slow as the test wants.
class GatedPictures : public Pictures {
public:
    explicit GatedPictures(Pictures& real) : real_(real) {}
    ~GatedPictures() override {
        open();
        backgroundPool().waitForDone();
    }
    std::optional<PictureSize> naturalSize(const std::string& path) override {
        return real_.naturalSize(path);
    }
    LoadedPicture load(const std::string& path,
                       const std::function<PictureSize(const PictureSize&)>& frameFor,
                       std::stop_token stop) override {
        {
            std::unique_lock lock(mutex_);
            ++waiting_;
            gate_.wait(lock, stop, [this] { return open_; });
        }
        return real_.load(path, frameFor, stop);
    }
    void open() {
        {
            const std::lock_guard lock(mutex_);
            open_ = true;
        }
        gate_.notify_all();
    }
    int waiting() {
        const std::lock_guard lock(mutex_);
        return waiting_;
    }

private:
    Pictures& real_;
    std::mutex mutex_;
    std::condition_variable_any gate_;
    bool open_ = false;
    int waiting_ = 0;
};

// The program's main window on the real toolkit and the real decoders.
class StripOnTheDesktopTest : public PictureBoundsTest {
protected:
    void start(Pictures& pictures, const std::string& folder) {
        window = std::make_unique<MainWindow>(
            Services{toolkit, fs, settings, pictures, shell, clock, {folder, "quorvel"}}, forms);
        window->startUp();
        forms.showForm(window->form);
        window->sourceFolders.setPath(folder);
        window->sourceFiles.setPattern("*.*");
        window->sourceFiles.toggle(0);
    }
    ~StripOnTheDesktopTest() override {
        forms.closeAll();
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string caption(int slot) const { return window->stripNames[std::size_t(slot)]->caption(); }
    std::string picture(int slot) const {
        return window->stripPictures[std::size_t(slot)]->picture();
    }

    QtToolkit toolkit;
    QtFormHost forms{toolkit};
    PosixFileSystem fs;
    MemorySettingsStore settings;
    QtPictures real;
    GatedPictures slow{real};
    RecordingShell shell;
    SystemClock clock;
    std::unique_ptr<MainWindow> window;
};

TEST_F(StripOnTheDesktopTest, TheWindowAnswersWhileThePicturesAreDecoded) {
    const std::string folder = dir.path().toStdString();
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        put(dir.filePath(name), jpeg(pattern(320, 240), false));
    start(slow, folder);
    window->sourceButtons[6]->click();
    // The click is over while its pictures are still being decoded.
    ASSERT_TRUE(QTest::qWaitFor([&] { return slow.waiting() > 0; }, 5000));
    EXPECT_EQ(caption(0), "");

    // The user clicks a row of the file list meanwhile: the window handles it at once.
    QListView* list = nullptr;
    for (QWidget* shown : QApplication::topLevelWidgets())
        if (list == nullptr)
            list = shown->findChild<QListView*>("File1");
    ASSERT_NE(list, nullptr);
    const QPoint third = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, third);
    EXPECT_TRUE(window->sourceFiles.selected(2));
    EXPECT_EQ(caption(0), "");

    slow.open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return caption(2) == "c.jpg"; }, 10000));
    EXPECT_EQ(caption(0), "a.jpg");
    EXPECT_EQ(picture(0), folder + "/a.jpg");
    EXPECT_EQ(picture(2), folder + "/c.jpg");
}

TEST_F(StripOnTheDesktopTest, FourHostilePicturesInTheStripStayWithinTheMemoryBound) {
    const std::string folder = hostile();
    start(real, folder);
    // How long the event loop goes without answering, printed for the record: a test
    // asserts no time.
    QElapsedTimer since;
    qint64 longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout,
                     [&] { longest = std::max(longest, since.restart()); });
    beat.start(5);
    since.start();
    window->sourceButtons[6]->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return caption(3) == "d_geant.jpg"; }, 30000));
    beat.stop();
    std::printf("longest the event loop went unanswered during the fill: %lld ms\n",
                static_cast<long long>(longest));
    // Each keeps its name; only the one whose decoding fits shows a picture.
    EXPECT_EQ(caption(0), "a_progressif.jpg");
    EXPECT_EQ(picture(0), "");
    EXPECT_EQ(caption(1), "b_bombe.png");
    EXPECT_EQ(picture(1), "");
    EXPECT_EQ(picture(2), "");
    EXPECT_EQ(picture(3), folder + "/d_geant.jpg");
    // And the viewer on the one that shows, decoded for its larger frame.
    window->stripPictures[3]->click();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return window->viewer().image()->picture() == folder + "/d_geant.jpg"; }, 30000));
    const long peak = peakMegabytes();
    std::printf("peak memory with four hostile pictures in the strip: %ld MB\n", peak);
    EXPECT_GT(peak, 0);
    EXPECT_LE(peak, 300);
}

} // namespace
} // namespace quorvel
