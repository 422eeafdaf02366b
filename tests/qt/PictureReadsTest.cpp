// Files that would hold a reader: a pipe where a picture was, gigabytes of zeros after a valid
// header, small files declaring huge pictures. Each is given up in bounded time and memory,
// and the program still ends at once when the user quits.
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

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <spawn.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>
#include <zlib.h>

extern char** environ;

namespace quorvel {
namespace {

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray little16(quint16 v) {
    QByteArray out(2, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

QByteArray little32(quint32 v) {
    QByteArray out(4, '\0');
    qToLittleEndian(v, out.data());
    return out;
}

// A JPEG's markers up to the first scan's header, its frame declaring `width` × `height`,
// then `size` bytes in all: the rest zeros, a hole of the file that costs no disk.
void jpegThenZeros(const QString& path, bool progressive, quint16 width, quint16 height,
                   qint64 size) {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(progressive);
    ASSERT_TRUE(writer.write(image));
    const qsizetype frame = bytes.indexOf(progressive ? "\xFF\xC2" : "\xFF\xC0");
    ASSERT_GT(frame, 0);
    qToBigEndian(height, bytes.data() + frame + 5);
    qToBigEndian(width, bytes.data() + frame + 7);
    const qsizetype scan = bytes.indexOf("\xFF\xDA");
    ASSERT_GT(scan, 0);
    const int length = (uchar(bytes[scan + 2]) << 8) | uchar(bytes[scan + 3]);
    put(path, bytes.left(scan + 2 + length));
    ASSERT_EQ(::truncate(QFile::encodeName(path).constData(), size), 0);
}

// `size` bytes of zeros deflated, without holding them.
QByteArray deflatedZeros(qint64 size) {
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    const std::vector<Bytef> zeros(1 << 20, 0);
    std::vector<Bytef> out(1 << 16);
    QByteArray data;
    for (qint64 left = size;;) {
        const bool last = left == 0;
        const qint64 now = std::min<qint64>(left, qint64(zeros.size()));
        z.next_in = const_cast<Bytef*>(zeros.data());
        z.avail_in = uInt(now);
        left -= now;
        int status = Z_OK;
        do {
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
            status = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            data.append(reinterpret_cast<const char*>(out.data()),
                        qsizetype(out.size() - z.avail_out));
        } while (z.avail_out == 0 || (last && status != Z_STREAM_END));
        if (last)
            break;
    }
    deflateEnd(&z);
    return data;
}

// A grey TIFF of 16 bits a pixel declaring `width` × `height`, its one strip deflated: a
// hundred kilobytes for 7000 × 6000.
QByteArray tiffBomb(quint32 width, quint32 height) {
    const QByteArray strip = deflatedZeros(qint64(width) * height * 2);
    struct Entry {
        quint16 tag, type;
        quint32 value;
    };
    const std::vector<Entry> entries{
        {256, 4, width}, {257, 4, height}, {258, 3, 16},
        {259, 3, 8},                  // deflate
        {262, 3, 1},     {273, 4, 0}, // the strip's offset, set below
        {277, 3, 1},     {278, 4, height}, {279, 4, quint32(strip.size())},
    };
    const quint32 stripAt = 8 + 2 + quint32(entries.size()) * 12 + 4;
    QByteArray tiff = QByteArray("II*\0", 4) + little32(8) + little16(quint16(entries.size()));
    for (const Entry& e : entries) {
        const quint32 value = e.tag == 273 ? stripAt : e.value;
        tiff += little16(e.tag) + little16(e.type) + little32(1) +
                (e.type == 3 ? little16(quint16(value)) + little16(0) : little32(value));
    }
    return tiff + little32(0) + strip;
}

// A GIF of a few dozen bytes whose screen and only image declare `side` × `side`.
QByteArray gifBomb(quint16 side) {
    QByteArray gif("GIF89a", 6);
    gif += little16(side) + little16(side) + QByteArray("\x80\0\0", 3); // two colours
    gif += QByteArray("\0\0\0\xFF\xFF\xFF", 6);
    gif += QByteArray("\x2C", 1) + little16(0) + little16(0) + little16(side) + little16(side);
    gif += QByteArray("\0\x02\x02\x44\x01\0\x3B", 7);
    return gif;
}

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

PictureSize stripFrame(const PictureSize&) {
    return {1740, 1305};
}
PictureSize viewerFrame(const PictureSize&) {
    return {14000, 10500};
}

class PictureReadsTest : public testing::Test {
protected:
    QTemporaryDir dir;
    std::string at(const char* name) const { return dir.filePath(name).toStdString(); }
    // The hostile pictures of a folder, in the order the strip shows them.
    void hostile() {
        put(dir.filePath("a_tiff16.tif"), tiffBomb(7000, 6000));
        put(dir.filePath("b_gif.gif"), gifBomb(7000));
        jpegThenZeros(dir.filePath("c_zeros.jpg"), true, 640, 480, 4ll << 30);
        jpegThenZeros(dir.filePath("d_zeros.jpg"), false, 640, 480, 4ll << 30);
        // Two hundred million pixels of zeros to decode: seconds of work.
        jpegThenZeros(dir.filePath("e_zeros_geant.jpg"), false, 20000, 10000, 4ll << 30);
    }
};

TEST_F(PictureReadsTest, APipeWhereAPictureWasIsNoPictureAndHoldsNoOne) {
    // Nobody ever writes to it: a reader that opened it plainly would wait for good.
    const std::string pipe = at("photo.jpg");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    QtPictures pictures;
    EXPECT_FALSE(pictures.naturalSize(pipe));
    const LoadedPicture loaded = pictures.load(pipe, viewerFrame, {});
    EXPECT_EQ(loaded.picture, nullptr);
    EXPECT_EQ(loaded.fault, PictureFault::NotAPicture);
    EXPECT_TRUE(loadScaledPicture(dir.filePath("photo.jpg"), QSize(100, 75)).isNull());

    // A link to a photograph is followed; a link to the pipe is not read either.
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(dir.filePath("vraie.png")));
    ASSERT_EQ(::symlink(at("vraie.png").c_str(), at("lien.png").c_str()), 0);
    ASSERT_EQ(::symlink(pipe.c_str(), at("lien.jpg").c_str()), 0);
    EXPECT_NE(pictures.load(at("lien.png"), stripFrame, {}).picture, nullptr);
    EXPECT_EQ(pictures.load(at("lien.jpg"), stripFrame, {}).fault, PictureFault::NotAPicture);
}

TEST_F(PictureReadsTest, SmallFilesDeclaringHugePicturesAreRefusedForTheirMemory) {
    hostile();
    QtPictures pictures;
    for (const char* name : {"a_tiff16.tif", "b_gif.gif"}) {
        for (auto* frame : {stripFrame, viewerFrame}) {
            const LoadedPicture loaded = pictures.load(at(name), frame, {});
            EXPECT_EQ(loaded.picture, nullptr) << name;
            EXPECT_EQ(loaded.fault, PictureFault::TooLarge) << name;
        }
    }
    // The viewer says why, in the user's words.
    ScriptedToolkit toolkit;
    PosixFileSystem fs;
    MemorySettingsStore settings;
    RecordingShell shell;
    SystemClock clock;
    MainWindow window(
        Services{toolkit, fs, settings, pictures, shell, clock, {dir.path().toStdString(), "q"}},
        toolkit);
    window.viewer().ViewPhoto(at("a_tiff16.tif"));
    ASSERT_FALSE(toolkit.events().empty());
    EXPECT_EQ(toolkit.events().back().text,
              "Impossible d'afficher a_tiff16.tif : l'image demanderait trop de mémoire.");
}

TEST_F(PictureReadsTest, ZerosAfterAValidHeaderAreReadNoFurtherThanAPictureIsWorth) {
    hostile();
    QtPictures pictures;
    for (const char* name : {"c_zeros.jpg", "d_zeros.jpg", "e_zeros_geant.jpg"}) {
        QElapsedTimer took;
        took.start();
        const LoadedPicture loaded = pictures.load(at(name), viewerFrame, {});
        // Shown as far as it goes, grey where data are missing, or given up as too slow.
        EXPECT_TRUE(loaded.fault == PictureFault::None || loaded.fault == PictureFault::TooSlow)
            << name;
        std::printf("%s, 4 GB: %lld ms\n", name, static_cast<long long>(took.elapsed()));
        // The time allowed to a picture, with room for a loaded machine: never the minutes a
        // read to the end would take.
        EXPECT_LT(took.elapsed(), 6000) << name;

        // Asked to stop while it reads, it stops.
        std::stop_source stop;
        QElapsedTimer stopped;
        std::thread asker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            stopped.start();
            stop.request_stop();
        });
        const LoadedPicture cancelled = pictures.load(at(name), viewerFrame, stop.get_token());
        asker.join();
        if (cancelled.fault == PictureFault::Cancelled) {
            EXPECT_LT(stopped.elapsed(), 1000) << name;
        }
        if (std::string(name) == "e_zeros_geant.jpg") {
            EXPECT_EQ(cancelled.fault, PictureFault::Cancelled);
        }
    }
}

TEST_F(PictureReadsTest, StripAndViewerOnHostilePicturesStayWithinTheMemoryBound) {
    hostile();
    QtToolkit toolkit;
    QtFormHost forms(toolkit);
    PosixFileSystem fs;
    MemorySettingsStore settings;
    QtPictures pictures;
    RecordingShell shell;
    SystemClock clock;
    const std::string folder = dir.path().toStdString();
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, {folder, "q"}},
                      forms);
    window.startUp();
    forms.showForm(window.form);
    window.sourceFolders.setPath(folder);
    window.sourceFiles.setPattern("*.*");
    window.sourceFiles.toggle(0);
    window.sourceButtons[6]->click();
    // What the viewer decodes for its frame, meanwhile, on the same threads.
    for (const char* name :
         {"a_tiff16.tif", "b_gif.gif", "c_zeros.jpg", "d_zeros.jpg", "e_zeros_geant.jpg"})
        toolkit.runInBackground(
            [&pictures, path = at(name)] { pictures.load(path, viewerFrame, {}); }, [] {});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.stripNames[3]->caption() == "d_zeros.jpg"; }, 30000));
    ASSERT_TRUE(backgroundPool().waitForDone(30000));
    EXPECT_EQ(window.stripPictures[0]->picture(), "");
    EXPECT_EQ(window.stripPictures[1]->picture(), "");
    const long peak = peakMegabytes();
    std::printf("peak memory, strip and viewer on the hostile pictures: %ld MB\n", peak);
    EXPECT_GT(peak, 0);
    EXPECT_LE(peak, 300);
    forms.closeAll();
}

// A read the kernel does not give back: it heeds no request to stop.
class HeldPictures : public Pictures {
public:
    std::optional<PictureSize> naturalSize(const std::string&) override { return {}; }
    LoadedPicture load(const std::string&, const std::function<PictureSize(const PictureSize&)>&,
                       std::stop_token) override {
        std::unique_lock lock(mutex_);
        ++held_;
        never_.wait(lock, [] { return false; });
        return {};
    }
    int held() {
        const std::lock_guard lock(mutex_);
        return held_;
    }

private:
    std::mutex mutex_;
    std::condition_variable never_;
    int held_ = 0;
};

// The program in a process of its own, as the quit test starts it: the strip and the
// viewer's decode under way on the folder's pictures when the user quits. It tells its
// parent on its standard output when it quits and whether its threads were joined, then ends
// as the program does.
TEST(PictureQuitChild, QuitsWithItsPicturesUnderWay) {
    const char* folder = std::getenv("QUORVEL_QUIT_FOLDER");
    if (folder == nullptr)
        GTEST_SKIP() << "started by PictureQuitTest only";
    const bool held = std::getenv("QUORVEL_QUIT_HELD") != nullptr;
    QtToolkit toolkit;
    QtFormHost forms(toolkit);
    PosixFileSystem fs;
    MemorySettingsStore settings;
    QtPictures real;
    HeldPictures stuck;
    Pictures& pictures = held ? static_cast<Pictures&>(stuck) : real;
    RecordingShell shell;
    SystemClock clock;
    MainWindow window(Services{toolkit, fs, settings, pictures, shell, clock, {folder, "q"}},
                      forms);
    window.startUp();
    forms.showForm(window.form);
    window.sourceFolders.setPath(folder);
    window.sourceFiles.setPattern("*.*");
    window.sourceFiles.toggle(0);
    window.sourceButtons[6]->click();
    // The viewer's decode, which nobody asks to stop.
    toolkit.runInBackground(
        [&pictures, path = std::string(folder) + "/e_zeros_geant.jpg"] {
            pictures.load(path, viewerFrame, {});
        },
        [] {});
    if (held)
        ASSERT_TRUE(QTest::qWaitFor([&] { return stuck.held() > 0; }, 5000));
    else
        QTest::qWait(300);
    std::printf("quit\n");
    std::fflush(stdout);
    window.quitButton.click();
    forms.closeAll();
    const bool joined = finishBackgroundWork(std::chrono::milliseconds(1500));
    std::printf("%s\n", joined ? "joined" : "left");
    std::fflush(stdout);
    if (!joined)
        std::_Exit(0);
}

class PictureQuitTest : public PictureReadsTest {
protected:
    struct Ending {
        std::string said;
        long long afterQuit = -1; // milliseconds from "quit" to the process's end
    };

    Ending runChild(bool held) {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        std::vector<std::string> env{"QUORVEL_QUIT_FOLDER=" + dir.path().toStdString(),
                                     "QT_QPA_PLATFORM=offscreen"};
        if (held)
            env.push_back("QUORVEL_QUIT_HELD=1");
        for (char** e = environ; *e != nullptr; ++e)
            env.emplace_back(*e);
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string self = "/proc/self/exe";
        std::string filter = "--gtest_filter=PictureQuitChild.*";
        char* argv[] = {self.data(), filter.data(), nullptr};
        pid_t child = -1;
        EXPECT_EQ(posix_spawn(&child, self.c_str(), &actions, nullptr, argv, envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);

        Ending ending;
        QElapsedTimer since;
        std::string line;
        char c = 0;
        while (::read(out[0], &c, 1) == 1) {
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line == "quit")
                since.start();
            else if (line == "joined" || line == "left")
                ending.said = line;
            line.clear();
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        if (since.isValid())
            ending.afterQuit = since.elapsed();
        ::close(out[0]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        return ending;
    }
};

TEST_F(PictureQuitTest, TheProgramEndsWithinTwoSecondsOfQuitWhateverItsPicturesDo) {
    hostile();
    // Decodes under way on hostile files give up when asked and are joined.
    const Ending given = runChild(false);
    std::printf("ended %lld ms after quit, threads %s\n", given.afterQuit, given.said.c_str());
    EXPECT_EQ(given.said, "joined");
    EXPECT_GE(given.afterQuit, 0);
    EXPECT_LT(given.afterQuit, 2000);
    // A read that never comes back is left behind, and the program ends all the same.
    const Ending held = runChild(true);
    std::printf("ended %lld ms after quit, threads %s\n", held.afterQuit, held.said.c_str());
    EXPECT_EQ(held.said, "left");
    EXPECT_GE(held.afterQuit, 0);
    EXPECT_LT(held.afterQuit, 2000);
}

} // namespace
} // namespace quorvel
