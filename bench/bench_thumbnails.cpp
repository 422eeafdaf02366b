// Filling the thumbnail strip with four 24-megapixel photographs, two of them portrait: the
// strip command through the window model, each picture decoded for its frame as the view
// does, once for photographs that carry a camera's EXIF thumbnail and once for the same
// photographs without one (the decoder then reads the whole file, reduced by its DCT
// scaling). Against decoding the four photographs whole, in the same run, and against a
// floor: the four decoded at an eighth by libjpeg itself, two at a time on two threads.
#include "Timing.h"
#include "app/MainWindow.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qtservices/Headless.h"
#include "platform/qtservices/PictureDecoding.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"
#include "viewer/Thumbnails.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <jpeglib.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using quorvel::bench::best;
using quorvel::bench::Clock;
using quorvel::bench::seconds;

// Decodes a JPEG file at an eighth of its size, as plainly as libjpeg allows.
bool decodeEighth(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    std::vector<unsigned char> row(std::size_t(info.output_width) * info.output_components);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
    return true;
}

// The files decoded at an eighth, two at a time on two threads.
int decodeEighthsOnTwoThreads(const std::vector<std::string>& paths) {
    std::atomic<std::size_t> next = 0;
    std::atomic<int> decoded = 0;
    const auto worker = [&] {
        for (std::size_t i = next++; i < paths.size(); i = next++)
            decoded += decodeEighth(paths[i]) ? 1 : 0;
    };
    std::thread other(worker);
    worker();
    other.join();
    return decoded;
}

// The scripted toolkit with the program's own background threads, so that the strip fills
// as it does in the program.
class ThreadedToolkit : public quorvel::ScriptedToolkit {
public:
    void runInBackground(std::function<void()> work, std::function<void()> done) override {
        background_.run(std::move(work), std::move(done));
    }

private:
    quorvel::HeadlessBackground background_;
};

} // namespace

int main(int argc, char** argv) {
    using namespace quorvel;
    HeadlessQt qt(argc, argv);
    char pattern[] = "/tmp/quorvel-bench-thumbs-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    const std::string folder = pattern;
    // Rows 0 to 3 carry a thumbnail, rows 4 to 7 are the same photographs without one.
    const std::array<std::string, 8> names{"IMG_0001.jpg", "IMG_0002.jpg", "IMG_0003.jpg",
                                           "IMG_0004.jpg", "IMG_0005.jpg", "IMG_0006.jpg",
                                           "IMG_0007.jpg", "IMG_0008.jpg"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const bool portrait = i % 2 == 1;
        if (!writeTestPhotograph(folder + "/" + names[i], portrait ? 4000 : 6000,
                                 portrait ? 6000 : 4000, i < 4)) {
            std::fprintf(stderr, "cannot write the test photographs in %s\n", folder.c_str());
            return 1;
        }
    }

    PosixFileSystem fs;
    const auto toolkit = std::make_unique<ThreadedToolkit>();
    MemorySettingsStore settings;
    RecordingShell shell;
    SystemClock clock;
    auto pictures = makePictures();
    MainWindow window(
        Services{*toolkit, fs, settings, *pictures, shell, clock, {folder, "quorvel-bench"}},
        *toolkit);
    window.startUp();
    window.sourceFolders.setPath(folder);

    const int runs = 3;
    int decoded = 0;
    bool stripComplete = true;
    const auto stripFrom = [&](int row) {
        window.sourceFiles.setCurrent(row);
        const double fastest = best(runs, [&] {
            // The strip is filled once its busy pointer goes.
            window.sourceButtons[6]->click();
            HeadlessBackground::processEventsUntil([&] { return !toolkit->busy(); });
        });
        decoded = 0;
        for (const Image* slot : window.stripPictures)
            decoded += slot->decoded() ? 1 : 0;
        stripComplete = stripComplete && decoded == 4;
        return fastest;
    };
    const double withThumbnails = stripFrom(0);
    const double withoutThumbnails = stripFrom(4);
    int wholeDecoded = 0;
    const double whole = best(runs, [&] {
        wholeDecoded = 0;
        for (std::size_t i = 0; i < 4; ++i)
            wholeDecoded += decodeWholePicture(folder + "/" + names[i]) ? 1 : 0;
    });
    std::vector<std::string> plainFiles;
    for (std::size_t i = 4; i < 8; ++i)
        plainFiles.push_back(folder + "/" + names[i]);
    int floorDecoded = 0;
    const double floor = best(runs, [&] { floorDecoded = decodeEighthsOnTwoThreads(plainFiles); });
    // The decoder's own scaling: a 116 × 87 frame costs what an exact eighth does, so the
    // reduction happens in the DCT, and what remains is reading the whole coded data.
    const std::string plain = folder + "/" + names[4];
    const double oneWhole = best(runs, [&] { decodeWholePicture(plain); });
    const double oneFrame = best(runs, [&] { decodeScaledPicture(plain, 116, 87); });
    const double oneEighth = best(runs, [&] { decodeScaledPicture(plain, 750, 500); });
    if (std::getenv("QUORVEL_BENCH_KEEP") == nullptr)
        std::filesystem::remove_all(folder);
    else
        std::printf("photographs kept in %s\n", folder.c_str());

    if (!stripComplete || wholeDecoded != 4 || floorDecoded != 4) {
        std::fprintf(stderr, "decoding failed: strip %d of 4, whole %d of 4\n", decoded,
                     wholeDecoded);
        return 1;
    }
    std::printf("thumbnail strip, four 24-megapixel photographs (two portrait)\n");
    std::printf("  whole decode:                  %.3f s\n", whole);
    std::printf("  strip fill, EXIF thumbnails:   %.3f s  ratio %.3f (goal <= 0.25)\n",
                withThumbnails, withThumbnails / whole);
    std::printf("  strip fill, no EXIF thumbnail: %.3f s  ratio %.3f\n", withoutThumbnails,
                withoutThumbnails / whole);
    std::printf("  floor, libjpeg at 1/8 on two threads: %.3f s\n", floor);
    std::printf("  strip fill, no EXIF thumbnail, against the floor: ratio %.3f (goal <= 1.2)\n",
                withoutThumbnails / floor);
    std::printf("  one 6000 x 4000 photograph without thumbnail: whole %.3f s, 116 x 87 %.3f s "
                "(ratio %.3f), 750 x 500 %.3f s\n",
                oneWhole, oneFrame, oneFrame / oneWhole, oneEighth);
    return 0;
}
