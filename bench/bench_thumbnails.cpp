// Filling the thumbnail strip with four 24-megapixel photographs, two of them portrait: the
// strip command through the window model, each picture decoded for its frame as the view
// does, once for photographs that carry a camera's EXIF thumbnail and once for the same
// photographs without one (the decoder then reads the whole file, reduced by its DCT
// scaling). Against decoding the four photographs whole, in the same run.
#include "Timing.h"
#include "app/MainWindow.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/qt/Headless.h"
#include "platform/qt/PictureDecoding.h"
#include "platform/script/MemorySettingsStore.h"
#include "platform/script/RecordingShell.h"
#include "platform/script/ScriptedToolkit.h"
#include "viewer/Thumbnails.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using quorvel::bench::best;
using quorvel::bench::Clock;
using quorvel::bench::seconds;

// Twips to pixels at 96 dpi, as the view sizes an image.
int pixels(int twips) {
    return (twips + 7) / 15;
}

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
    ScriptedToolkit toolkit;
    MemorySettingsStore settings;
    RecordingShell shell;
    SystemClock clock;
    auto pictures = makePictures();
    MainWindow window(
        Services{toolkit, fs, settings, *pictures, shell, clock, {folder, "quorvel-bench"}},
        toolkit);
    window.startUp();
    window.Dir1.setPath(folder);

    // The view decodes an image when its picture changes, at the size of its frame.
    int decoded = 0;
    std::array<std::string, 4> shown;
    for (std::size_t i = 0; i < 4; ++i) {
        Image& image = *window.TN[i];
        image.subscribe([&, i](Change) {
            Image& slot = *window.TN[i];
            if (slot.picture() == shown[i])
                return;
            shown[i] = slot.picture();
            if (!shown[i].empty() && decodeScaledPicture(shown[i], pixels(slot.geometry().width),
                                                         pixels(slot.geometry().height)))
                ++decoded;
        });
    }

    const int runs = 3;
    bool stripComplete = true;
    const auto stripFrom = [&](int row) {
        window.File1.setCurrent(row);
        const double fastest = best(runs, [&] {
            decoded = 0;
            window.Comm1[6]->click();
        });
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

    if (!stripComplete || wholeDecoded != 4) {
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
    std::printf("  one 6000 x 4000 photograph without thumbnail: whole %.3f s, 116 x 87 %.3f s "
                "(ratio %.3f), 750 x 500 %.3f s\n",
                oneWhole, oneFrame, oneFrame / oneWhole, oneEighth);
    return 0;
}
