#include "platform/exif/MovieDates.h"

#include "platform/ExifSamples.h"
#include "platform/PosixTestFolder.h"
#include "platform/exif/ByteSource.h"
#include "platform/exif/CaptureTimeParser.h"
#include "platform/exif/ExifCaptureDates.h"

#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>
#include <random>

namespace quorvel {
namespace {

using testing::ByteVector;
using testing::MovieLayout;

constexpr std::uint64_t from1904 = 2082844800;

CaptureTime local(std::time_t utc) {
    std::tm t{};
    localtime_r(&utc, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

CaptureInfo read(const ByteVector& bytes) {
    MemorySource source(bytes);
    return fileCapture(source);
}

// 2026-07-14 13:30:12 UTC.
constexpr std::time_t noonUtc = 1784035812;

TEST(MovieDates, TheContainersDatesInTheirOrderOfTrust) {
    // The movie header alone, in either width: universal time, shown in local time.
    MovieLayout layout;
    layout.created = noonUtc + from1904;
    EXPECT_EQ(read(testing::movieWith(layout)).time, local(noonUtc));
    layout.wideHeader = true;
    EXPECT_EQ(read(testing::movieWith(layout)).time, local(noonUtc));
    // A QuickTime file without "ftyp", beginning with its media.
    layout.brand.clear();
    EXPECT_EQ(read(testing::movieWith(layout)).time, local(noonUtc));

    // "©day" in universal time is turned into local time, and wins over the header.
    layout.created = 1000 + from1904;
    layout.day = "2026-07-14T13:30:12Z";
    EXPECT_EQ(read(testing::movieWith(layout)).time, local(noonUtc));
    // The phone's creation date, with the offset of the place: its wall clock as written,
    // as the photos of the same phone are dated, whatever the machine's zone.
    layout.creationDate = "2026-07-14T15:30:40+0200";
    layout.make = "Apple";
    layout.model = "iPhone 15";
    const CaptureInfo phone = read(testing::movieWith(layout));
    EXPECT_EQ(phone.time, (CaptureTime{2026, 7, 14, 15, 30, 40}));
    EXPECT_EQ(phone.camera, "Apple iPhone 15");

    // Dates no writer means: a header left at 0, a day with no time.
    MovieLayout blank;
    blank.day = "2026";
    EXPECT_EQ(read(testing::movieWith(blank)).time, std::nullopt);
}

TEST(MovieDates, ThePhotosCameraAndOtherFilesAreLeftAlone) {
    testing::TiffLayout layout{true, "2021:07:14 09:30:05", {}, false, 42, "", 0};
    const CaptureInfo photo =
        read(testing::jpegWith(testing::tiffBlock(layout, "Canon", "Canon EOS 5D")));
    EXPECT_EQ(photo.time, (CaptureTime{2021, 7, 14, 9, 30, 5}));
    EXPECT_EQ(photo.camera, "Canon EOS 5D");
    EXPECT_EQ(read(testing::jpegWith(testing::tiffBlock(layout, "NIKON", "D750"))).camera,
              "NIKON D750");
    const std::string text = "moov is not where this text begins";
    EXPECT_EQ(read(ByteVector(text.begin(), text.end())).time, std::nullopt);
}

// A source of `size` bytes of which only the head and the tail are held, counting what is
// asked of it: a video of gigabytes without the memory.
class SparseSource : public ByteSource {
public:
    SparseSource(ByteVector head, ByteVector tail, std::uint64_t size)
        : head_(std::move(head)), tail_(std::move(tail)), size_(size) {}
    std::uint64_t size() const override { return size_; }
    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) override {
        ++requests;
        requested += length;
        if (!inside(offset, length))
            return {};
        if (offset + length <= head_.size())
            return std::span(head_).subspan(static_cast<std::size_t>(offset), length);
        const std::uint64_t tailStart = size_ - tail_.size();
        if (offset >= tailStart)
            return std::span(tail_).subspan(static_cast<std::size_t>(offset - tailStart), length);
        zeros_.assign(length, 0);
        return zeros_;
    }
    int requests = 0;
    std::uint64_t requested = 0;

private:
    ByteVector head_, tail_, zeros_;
    std::uint64_t size_;
};

TEST(MovieDates, TheMediaIsSkippedByItsLength) {
    MovieLayout layout;
    layout.creationDate = "2026-07-14T15:30:40+0200";
    const ByteVector whole = testing::movieWith(layout);
    // The "mdat" of the sample becomes one of 6 GiB, in the 64-bit form.
    const std::size_t mdat = 20;
    const std::size_t moov = mdat + 8 + layout.media;
    const std::uint64_t media = 6ULL << 30;
    ByteVector head(whole.begin(), whole.begin() + mdat);
    const std::string large("\0\0\0\x01mdat", 8);
    head.insert(head.end(), large.begin(), large.end());
    for (int shift = 56; shift >= 0; shift -= 8)
        head.push_back(static_cast<std::uint8_t>((media + 16) >> shift));
    const ByteVector tail(whole.begin() + moov, whole.end());
    SparseSource source(head, tail, mdat + 16 + media + tail.size());
    EXPECT_EQ(fileCapture(source).time, (CaptureTime{2026, 7, 14, 15, 30, 40}));
    EXPECT_LE(source.requests, 40);
    EXPECT_LE(source.requested, 4096u);
}

bool plausible(const std::optional<CaptureTime>& t) {
    return !t || (t->year >= 1 && t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31 &&
                  t->hour <= 23 && t->minute <= 59 && t->second <= 59);
}

std::vector<ByteVector> samples() {
    std::vector<ByteVector> all;
    MovieLayout layout;
    layout.created = noonUtc + from1904;
    all.push_back(testing::movieWith(layout));
    layout.wideHeader = true;
    layout.brand = "qt  ";
    layout.day = "2026-07-14T13:30:12Z";
    all.push_back(testing::movieWith(layout));
    layout.creationDate = "2026-07-14T15:30:40+0200";
    layout.make = "Apple";
    layout.model = "iPhone 15";
    layout.media = 8;
    all.push_back(testing::movieWith(layout));
    return all;
}

// Cuts at every length, every field turned into a size of nothing, of everything, of
// itself or of a huge box, and random flips: a plausible date or none, within bounds.
TEST(MovieDatesFuzz, DamagedVideosGiveAPlausibleDateOrNothingWithinBounds) {
    std::mt19937 random(20261209);
    int cases = 0;
    const auto check = [&cases](const ByteVector& damaged) {
        struct Counting : MemorySource {
            using MemorySource::MemorySource;
            std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) override {
                ++requests;
                return MemorySource::bytes(offset, length);
            }
            int requests = 0;
        } source(damaged);
        ++cases;
        EXPECT_TRUE(plausible(fileCapture(source).time));
        EXPECT_LE(source.requests, 4200);
    };
    for (const ByteVector& sample : samples()) {
        for (std::size_t length = 0; length < sample.size(); ++length)
            check(ByteVector(sample.begin(), sample.begin() + static_cast<long>(length)));
        for (std::size_t at = 0; at + 4 <= sample.size(); ++at) {
            for (const std::uint32_t value :
                 {0xFFFFFFFFu, 0u, 1u, 8u, 16u, static_cast<std::uint32_t>(at), 0x7FFFFFF0u}) {
                ByteVector damaged = sample;
                for (int i = 0; i < 4; ++i)
                    damaged[at + static_cast<std::size_t>(i)] =
                        static_cast<std::uint8_t>(value >> (8 * (3 - i)));
                check(damaged);
            }
        }
        for (int round = 0; round < 400; ++round) {
            ByteVector damaged = sample;
            for (unsigned flips = 1 + random() % 6; flips > 0; --flips)
                damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
            check(damaged);
        }
    }
    EXPECT_GT(cases, 10000);
}

TEST(MovieDatesFuzz, EndlessChainsOfEmptyBoxesEndQuickly) {
    ByteVector chain = testing::movieWith({});
    // A "moov" that claims the rest, made of a hundred thousand empty "udta" boxes.
    const std::string moov("\0\0\0\0moov", 8);
    chain.insert(chain.end(), moov.begin(), moov.end());
    for (int i = 0; i < 100000; ++i) {
        const std::string unit("\0\0\0\x08udta", 8);
        chain.insert(chain.end(), unit.begin(), unit.end());
    }
    MemorySource source(chain);
    EXPECT_EQ(fileCapture(source).time, std::nullopt);
}

class MovieFiles : public testing::PosixTestFolder {};

TEST_F(MovieFiles, DamagedVideosOnDiskThroughTheProgramsReader) {
    std::mt19937 random(23);
    ExifCaptureDates dates;
    const std::vector<ByteVector> all = samples();
    const ByteVector& sound = all.back();
    write("clip.mp4", std::string(sound.begin(), sound.end()));
    EXPECT_EQ(dates.captureTime(path("clip.mp4")), (CaptureTime{2026, 7, 14, 15, 30, 40}));
    EXPECT_EQ(read("clip.mp4"), std::string(sound.begin(), sound.end()));
    for (int i = 0; i < 200; ++i) {
        ByteVector damaged = all[static_cast<std::size_t>(i) % all.size()];
        if (i % 3 == 0)
            damaged.resize(random() % damaged.size());
        for (unsigned flips = random() % 5; flips > 0 && !damaged.empty(); --flips)
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        const std::string name = "d" + std::to_string(i) + ".mov";
        write(name, std::string(damaged.begin(), damaged.end()));
        EXPECT_TRUE(plausible(dates.captureTime(path(name)))) << name;
    }
}

} // namespace
} // namespace quorvel
