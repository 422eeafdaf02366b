#include "platform/ExifSamples.h"
#include "platform/PosixTestFolder.h"
#include "platform/exif/CaptureTimeParser.h"
#include "platform/exif/ExifCaptureDates.h"

#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

using testing::ByteVector;

const CaptureTime taken{2021, 7, 14, 9, 30, 5};
const CaptureTime digitized{2022, 2, 3, 23, 59, 58};

std::optional<CaptureTime> parse(const std::string& text) {
    return parseExifDateTime(
        std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

TEST(ExifDateTime, ReadsTheCameraClockAndRefusesWhatNoClockShows) {
    EXPECT_EQ(parse("2021:07:14 09:30:05"), taken);
    EXPECT_EQ(parse(std::string("2021:07:14 09:30:05\0", 20)), taken);
    EXPECT_EQ(parse("2021-07-14T09:30:05+02:00"), taken);
    EXPECT_EQ(parse("2024:02:29 00:00:00"), (CaptureTime{2024, 2, 29, 0, 0, 0}));
    // A clock never set, blanks, impossible fields, a short text.
    for (const char* text : {"0000:00:00 00:00:00", "    :  :     :  :  ", "2023:02:29 10:00:00",
                             "2021:13:01 10:00:00", "2021:07:14 24:00:00", "2021:07:14 09:60:00",
                             "2021:07:14 09:30", "2021/07/14 09:30:05", "2021:07:14 09:3a:05"})
        EXPECT_FALSE(parse(text)) << text;
}

// Files made by the Debian tools a user's photos also pass through.
struct Format {
    const char* extension;
    const char* make; // a shell command that makes "$f" from the JPEG "$j"
};

class RealFiles : public testing::PosixTestFolder, public ::testing::WithParamInterface<Format> {
protected:
    static bool have(const char* tool) {
        return std::system(("command -v " + std::string(tool) + " >/dev/null 2>&1").c_str()) == 0;
    }
    bool run(const std::string& command) {
        return std::system(("cd '" + root_ + "' && " + command + " >/dev/null 2>&1").c_str()) == 0;
    }
    // A picture of the format with the EXIF tags given as exiftool arguments.
    std::string make(const std::string& name, const std::string& tags) {
        const std::string file = name + "." + GetParam().extension;
        EXPECT_TRUE(run("j=" + name + "-base.jpg; f=" + file +
                        "; convert -size 32x24 xc:red $j && " + GetParam().make +
                        " && exiftool -q -overwrite_original " + tags + " $f"))
            << file;
        return path(file);
    }
    ExifCaptureDates dates;
};

TEST_P(RealFiles, OriginalThenDigitizedThenNothing) {
    for (const char* tool : {"convert", "exiftool", "cwebp", "heif-enc"}) {
        if (!have(tool))
            GTEST_SKIP() << tool << " is missing: scripts/setup installs it";
    }
    const std::string both = make("both", "'-EXIF:DateTimeOriginal=2021:07:14 09:30:05' "
                                          "'-EXIF:CreateDate=2022:02:03 23:59:58'");
    const std::string onlyDigitized = make("digitized", "'-EXIF:CreateDate=2022:02:03 23:59:58'");
    const std::string none = make("none", "-EXIF:Make=Quorvel");
    EXPECT_EQ(dates.captureTime(both), taken);
    EXPECT_EQ(dates.captureTime(onlyDigitized), digitized);
    EXPECT_EQ(dates.captureTime(none), std::nullopt);

    // Cut short inside the date itself: nothing, however the rest of the file looks.
    std::ifstream in(both, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    const std::size_t at = bytes.find("2021:07:14");
    ASSERT_NE(at, std::string::npos);
    ASSERT_EQ(::truncate(both.c_str(), static_cast<off_t>(at + 5)), 0);
    EXPECT_EQ(dates.captureTime(both), std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Formats, RealFiles,
                         ::testing::Values(Format{"jpg", "cp $j $f"},
                                           Format{"tif", "convert $j $f"},
                                           Format{"png", "convert $j $f"},
                                           Format{"webp", "cwebp -quiet $j -o $f"},
                                           Format{"heic", "heif-enc -q 40 -o $f $j"}),
                         [](const auto& info) { return std::string(info.param.extension); });

class RawFiles : public testing::PosixTestFolder {
protected:
    std::string save(const std::string& name, const ByteVector& bytes) {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path(name);
    }
    ExifCaptureDates dates;
};

TEST_F(RawFiles, TiffBasedRawsOfEveryByteOrderAndHeader) {
    using testing::TiffLayout;
    const std::string o = "2021:07:14 09:30:05", d = "2022:02:03 23:59:58";
    const struct {
        const char* name;
        TiffLayout layout;
        std::optional<CaptureTime> expected;
    } raws[] = {
        {"a.cr2", {true, o, d, false, 42, std::string("CR\x02\x00", 4), 4000}, taken},
        {"a.nef", {false, o, d, false, 42, "", 9000}, taken},
        {"a.arw", {true, std::nullopt, d, false, 42, "", 100}, digitized},
        {"a.dng", {true, o, std::nullopt, false, 42, "", 0}, taken},
        {"ep.tif", {false, o, d, true, 42, "", 0}, taken},
        {"a.orf", {true, o, d, false, 0x4F52, "", 0}, taken},
        {"a.rw2", {true, std::nullopt, std::nullopt, false, 0x55, "", 0}, std::nullopt},
        {"bad.tif", {true, o, d, false, 43, "", 0}, std::nullopt},
    };
    for (const auto& raw : raws)
        EXPECT_EQ(dates.captureTime(save(raw.name, testing::tiffBlock(raw.layout))), raw.expected)
            << raw.name;
}

TEST_F(RawFiles, ContainersBuiltByHandAgreeWithTheTools) {
    const ByteVector tiff =
        testing::tiffBlock({false, "2021:07:14 09:30:05", {}, false, 42, "", 0});
    EXPECT_EQ(dates.captureTime(save("a.jpg", testing::jpegWith(tiff))), taken);
    EXPECT_EQ(dates.captureTime(save("a.png", testing::pngWith(tiff))), taken);
    EXPECT_EQ(dates.captureTime(save("a.webp", testing::webpWith(tiff))), taken);
    EXPECT_EQ(dates.captureTime(save("a.heic", testing::heifWith(tiff))), taken);
    EXPECT_EQ(dates.captureTime(save("b.heic", testing::heifWith(tiff, true))), taken);
}

// A PNG whose image data come in `chunks` IDAT chunks of `size` bytes before its eXIf chunk,
// as some editors write it; the image data are a hole of the file.
std::string pngAfterImageData(const std::string& path, const ByteVector& tiff, int chunks,
                              std::uint32_t size, const std::string& inData = "") {
    std::ofstream out(path, std::ios::binary);
    const auto head = [&out](std::uint32_t length, const char* type) {
        const char bytes[4] = {char(length >> 24), char(length >> 16), char(length >> 8),
                               char(length)};
        out.write(bytes, 4);
        out.write(type, 4);
    };
    out.write("\x89PNG\r\n\x1A\n", 8);
    head(13, "IHDR");
    out.write(std::string(13 + 4, '\1').data(), 13 + 4);
    for (int i = 0; i < chunks; ++i) {
        head(size, "IDAT");
        // The letters of an eXIf chunk may turn up inside compressed data.
        out.write(inData.data(), std::streamsize(inData.size()));
        out.seekp(std::streamoff(size + 4 - inData.size()), std::ios::cur);
    }
    head(std::uint32_t(tiff.size()), "eXIf");
    out.write(reinterpret_cast<const char*>(tiff.data()), std::streamsize(tiff.size()));
    out.write("\0\0\0\0", 4);
    head(0, "IEND");
    out.write("\0\0\0\0", 4);
    return path;
}

TEST_F(RawFiles, APngKeepsItsDateAfterAnyAmountOfImageData) {
    const ByteVector tiff =
        testing::tiffBlock({false, "2021:07:14 09:30:05", {}, false, 42, "", 0});
    // More chunks than a file's reads allow, if each were read.
    EXPECT_EQ(dates.captureTime(pngAfterImageData(path("a.png"), tiff, 100, 64 * 1024)), taken);
    // 50 MB in the 8 KB chunks most writers use: six thousand chunks.
    EXPECT_EQ(dates.captureTime(pngAfterImageData(path("b.png"), tiff, 6400, 8192)), taken);
    const std::string fake = std::string("\0\0\0\x10", 4) + "eXIf" + "MM";
    EXPECT_EQ(dates.captureTime(pngAfterImageData(path("c.png"), tiff, 200, 8192, fake)), taken);
    // An image whose data end the file has no date, and says so soon.
    EXPECT_EQ(dates.captureTime(pngAfterImageData(path("d.png"), {}, 6400, 8192, fake)),
              std::nullopt);
}

TEST_F(RawFiles, WhatIsNoPhotoGivesNothingAtOnce) {
    write("text.jpg", "Exif is not here");
    write("empty.jpg", "");
    folder("folder.jpg");
    // A pipe under a photo's name would block a reader that waits for a writer.
    ASSERT_EQ(::mkfifo(path("pipe.jpg").c_str(), 0644), 0);
    for (const char* name : {"text.jpg", "empty.jpg", "folder.jpg", "pipe.jpg", "missing.jpg"})
        EXPECT_EQ(dates.captureTime(path(name)), std::nullopt) << name;
}

} // namespace
} // namespace quorvel
