// "Renommer !" with time stamps taken from the photos' capture dates, against the same run
// taking the files' modification times, over the same number of JPEG files in the same
// file system; the same run in capture order over two cameras, one of them an hour behind
// and corrected by its offset; and the reader alone, against a bare loop of the renames.

#include "Doubles.h"
#include "Timing.h"
#include "app/MainWindow.h"
#include "platform/ExifSamples.h"
#include "platform/exif/ExifCaptureDates.h"
#include "platform/posix/PosixFileSystem.h"
#include "rename/CameraClock.h"
#include "rename/NameComposer.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ftw.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace quorvel;
using bench::FixedClock;
using bench::NoPictures;

constexpr int count = 10000;
constexpr std::time_t taken = 1168867805;    // capture dates, one second apart
constexpr std::time_t modified = 1700000000; // file dates, one second apart

void fail(const std::string& what) {
    std::fprintf(stderr, "bench_capture_dates: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

std::string fileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%06d.jpg", i);
    return name;
}

std::string exifDate(std::time_t time) {
    const std::tm* local = std::localtime(&time);
    char text[32];
    std::strftime(text, sizeof text, "%Y:%m:%d %H:%M:%S", local);
    return text;
}

// A folder of JPEG files whose EXIF block is about the size of a phone's (the picture itself
// is left out: neither side reads it), each with its own capture date and file date. With
// two cameras, every other photo comes from one whose clock is an hour behind.
void fill(const std::string& folder, bool twoCameras) {
    if (::mkdir(folder.c_str(), 0755) != 0)
        fail("mkdir " + folder);
    testing::TiffLayout layout{true, exifDate(taken), exifDate(taken), false, 42, "", 2000};
    const std::string first = exifDate(taken);
    std::vector<std::uint8_t> photos[2] = {
        testing::jpegWith(testing::tiffBlock(layout, "Canon", "Canon EOS 5D")),
        testing::jpegWith(testing::tiffBlock(layout, "NIKON", "D750"))};
    for (int i = 0; i < count; ++i) {
        std::vector<std::uint8_t>& bytes = photos[twoCameras ? i % 2 : 0];
        const auto date = std::search(bytes.begin(), bytes.end(), first.begin(), first.end());
        const std::string text = exifDate(taken + i - (twoCameras && i % 2 == 1 ? 3600 : 0));
        std::copy(text.begin(), text.end(), date);
        const std::string path = folder + "/" + fileName(i);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
            fail("create " + path);
        const timespec times[2] = {{modified + i, 0}, {modified + i, 0}};
        ::futimens(fd, times);
        ::close(fd);
        std::copy(first.begin(), first.end(), date);
    }
}

// Every measure works in a folder of its own, and nothing is deleted before the end: files
// created soon after a large delete come slowly on ext4, which would weigh on one side only.
std::string freshFolder(const std::string& root, const char* what, bool twoCameras = false) {
    static int made = 0;
    const std::string folder = root + "/" + what + "-" + std::to_string(++made);
    fill(folder, twoCameras);
    return folder;
}

// The renames of the run by capture date, with or without reading each capture date.
double bareRenames(const std::string& folder, CaptureDates* dates) {
    std::vector<std::string> from, to;
    for (int i = 0; i < count; ++i) {
        from.push_back(folder + "/" + fileName(i));
        to.push_back(folder + "/" + NameComposer::timeStamp(taken + i) + ".jpg");
    }
    return bench::best(1, [&] {
        for (int i = 0; i < count; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (dates != nullptr && !dates->captureTime(from[k]))
                fail("no capture date in " + from[k]);
            if (::renameat2(AT_FDCWD, from[k].c_str(), AT_FDCWD, to[k].c_str(), RENAME_NOREPLACE) !=
                0)
                fail("renameat2");
        }
    });
}

// The whole run through the window model, scheme 3; only the click is timed. In order, the
// photos are taken in capture order with the second camera's offset.
double run(const std::string& folder, bool byCapture, bool inOrder = false) {
    ScriptedToolkit toolkit;
    PosixFileSystem fs;
    MemorySettingsStore settings;
    NoPictures pictures;
    RecordingShell shell;
    FixedClock clock{taken};
    ExifCaptureDates dates;
    settings.seed("quorvel", "Data", "Dir", folder);
    settings.seed("quorvel", "Data", "drv", folder);
    MainWindow window(
        Services{toolkit, fs, settings, pictures, shell, clock, {folder, "quorvel"}, &dates},
        toolkit);
    window.startUp();
    window.schemeOptions[3]->click();
    window.exifDates = byCapture;
    if (inOrder) {
        window.captureOptions.order = true;
        auto offsets = std::make_shared<CameraOffsets>();
        offsets->seconds["NIKON D750"] = 3600;
        window.captureOptions.offsets = std::move(offsets);
    }
    const double time = bench::best(1, [&] { window.renameButton.click(); });
    const std::string expected = std::to_string(count) + " fichiers ont été renommés sur les " +
                                 std::to_string(count) + " présents.";
    if (toolkit.events().empty() || toolkit.events().back().text != expected)
        throw std::runtime_error("the run did not rename every file");
    // The second photo, from the camera behind, named by its corrected date.
    const std::string sample =
        folder + "/" + NameComposer::timeStamp(byCapture ? taken + 1 : modified + 1) + ".jpg";
    if (::access(sample.c_str(), F_OK) != 0)
        throw std::runtime_error("the run did not take the expected dates");
    return time;
}

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char pattern[] = "/tmp/quorvel-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        fail("mkdtemp");
    const std::string root = pattern;
    double bare = 1e9, reading = 1e9, byFile = 1e9, byCapture = 1e9, inOrder = 1e9;
    ExifCaptureDates dates;
    try {
        for (int round = 0; round < rounds; ++round) {
            // Each measure right after writing its own folder, each in its turn first.
            std::vector<std::function<void()>> measures = {
                [&] { bare = std::min(bare, bareRenames(freshFolder(root, "bare"), nullptr)); },
                [&] {
                    reading = std::min(reading, bareRenames(freshFolder(root, "read"), &dates));
                },
                [&] { byFile = std::min(byFile, run(freshFolder(root, "file"), false)); },
                [&] { byCapture = std::min(byCapture, run(freshFolder(root, "exif"), true)); },
                [&] {
                    inOrder = std::min(inOrder, run(freshFolder(root, "order", true), true, true));
                }};
            std::rotate(measures.begin(),
                        measures.begin() + round % static_cast<int>(measures.size()),
                        measures.end());
            for (const auto& measure : measures)
                measure();
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_capture_dates: %s\n", error.what());
        return 1;
    }
    std::printf("reader, %d JPEG files: %.1f us a file; a bare rename loop that reads each "
                "capture date %.3f s vs %.3f s without, ratio %.2f\n",
                count, (reading - bare) * 1e6 / count, reading, bare, reading / bare);
    std::printf("run by capture date, %d JPEG files: %.3f s vs %.3f s by file date, ratio %.2f "
                "(goal <= 1.5)\n",
                count, byCapture, byFile, byCapture / byFile);
    std::printf("run in capture order, two cameras, one offset, %d JPEG files: %.3f s vs %.3f s "
                "by file date, ratio %.2f (goal <= 1.5)\n",
                count, inOrder, byFile, inOrder / byFile);
    ::nftw(
        root.c_str(),
        [](const char* entry, const struct stat*, int, FTW*) { return ::remove(entry); }, 64,
        FTW_DEPTH | FTW_PHYS);
    return 0;
}
