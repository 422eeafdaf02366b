#include "platform/ExifSamples.h"
#include "platform/PosixTestFolder.h"
#include "platform/exif/ByteSource.h"
#include "platform/exif/CaptureTimeParser.h"
#include "platform/exif/ExifCaptureDates.h"

#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace quorvel {
namespace {

using testing::ByteVector;

// Counts what the parser asks for, to show that it stays within bounds on any input.
class CountingSource : public MemorySource {
public:
    using MemorySource::MemorySource;
    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::size_t length) override {
        ++requests;
        requested += length;
        return MemorySource::bytes(offset, length);
    }
    int requests = 0;
    std::uint64_t requested = 0;
};

struct Outcome {
    std::optional<CaptureTime> time;
    int requests = 0;
};

Outcome parse(const ByteVector& bytes) {
    CountingSource source(bytes);
    return {fileCaptureTime(source), source.requests};
}

bool plausible(const std::optional<CaptureTime>& t) {
    return !t || (t->year >= 1 && t->month >= 1 && t->month <= 12 && t->day >= 1 && t->day <= 31 &&
                  t->hour <= 23 && t->minute <= 59 && t->second <= 59);
}

std::vector<ByteVector> samples() {
    std::vector<ByteVector> all;
    for (const bool little : {true, false}) {
        testing::TiffLayout layout{
            little, "2021:07:14 09:30:05", "2022:02:03 23:59:58", false, 42, "", 0};
        const ByteVector tiff = testing::tiffBlock(layout);
        all.push_back(tiff);
        all.push_back(testing::jpegWith(tiff));
        all.push_back(testing::pngWith(tiff));
        all.push_back(testing::webpWith(tiff));
        all.push_back(testing::heifWith(tiff));
        all.push_back(testing::heifWith(tiff, true));
        layout.datesInIfd0 = true;
        all.push_back(testing::tiffBlock(layout));
    }
    return all;
}

// Every sample read whole first, so that a damaged copy giving nothing means something.
TEST(CaptureDatesFuzz, EverySampleReadsWhole) {
    for (const ByteVector& sample : samples())
        EXPECT_EQ(parse(sample).time, (CaptureTime{2021, 7, 14, 9, 30, 5}));
}

// Damage of every kind, deterministic: cuts at every length, every field turned into an
// offset to nowhere, to the start, to itself or into a huge count, and random byte flips.
TEST(CaptureDatesFuzz, DamagedCopiesGiveAPlausibleDateOrNothingWithinBounds) {
    std::mt19937 random(20240615);
    int cases = 0;
    const auto check = [&cases](const ByteVector& damaged) {
        const Outcome outcome = parse(damaged);
        ++cases;
        EXPECT_TRUE(plausible(outcome.time));
        // Each step of a walk asks once or twice; the walks stop after 1024 steps.
        EXPECT_LE(outcome.requests, 4200);
    };
    for (const ByteVector& sample : samples()) {
        for (std::size_t length = 0; length < sample.size(); ++length)
            check(ByteVector(sample.begin(), sample.begin() + static_cast<long>(length)));
        for (std::size_t at = 0; at + 4 <= sample.size(); ++at) {
            for (const std::uint32_t value :
                 {0xFFFFFFFFu, 0x7FFFFFF0u, 0u, 8u, static_cast<std::uint32_t>(at), 0xFFFF0000u}) {
                ByteVector damaged = sample;
                for (int i = 0; i < 4; ++i)
                    damaged[at + static_cast<std::size_t>(i)] =
                        static_cast<std::uint8_t>(value >> (8 * (random() % 2 == 0 ? i : 3 - i)));
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
    EXPECT_GT(cases, 20000);
}

TEST(CaptureDatesFuzz, LoopsAndEndlessChainsEndQuickly) {
    // The EXIF pointer of IFD0 pointing back at IFD0.
    testing::TiffLayout layout{true, "2021:07:14 09:30:05", {}, false, 42, "", 0};
    ByteVector loop = testing::tiffBlock(layout);
    for (std::size_t at = 10; at + 12 <= loop.size(); at += 12) {
        if (loop[at] == 0x69 && loop[at + 1] == 0x87) {
            loop[at + 8] = 8;
            loop[at + 9] = loop[at + 10] = loop[at + 11] = 0;
        }
    }
    EXPECT_EQ(parse(loop).time, std::nullopt);

    // A hundred thousand empty segments, chunks and boxes.
    const auto repeated = [](std::string head, const std::string& unit) {
        ByteVector bytes(head.begin(), head.end());
        for (int i = 0; i < 100000; ++i)
            bytes.insert(bytes.end(), unit.begin(), unit.end());
        return bytes;
    };
    const ByteVector chains[] = {
        repeated("\xFF\xD8", std::string("\xFF\xE2\x00\x02", 4)),
        repeated("\x89PNG\r\n\x1A\n", std::string("\0\0\0\0tEXt\0\0\0\0", 12)),
        repeated(std::string("RIFF\0\0\0\0WEBP", 12), std::string("JUNK\0\0\0\0", 8)),
        repeated(std::string("\0\0\0\x08"
                             "ftyp",
                             8),
                 std::string("\0\0\0\x08"
                             "free",
                             8)),
    };
    for (const ByteVector& chain : chains) {
        const Outcome outcome = parse(chain);
        EXPECT_EQ(outcome.time, std::nullopt);
        EXPECT_LE(outcome.requests, 2100);
    }
}

TEST(CaptureDatesFuzz, ARawIsReadNearItsHeaderNotWhole) {
    testing::TiffLayout layout{true, "2021:07:14 09:30:05",        {}, false,
                               42,   std::string("CR\x02\x00", 4), 0};
    ByteVector raw = testing::tiffBlock(layout);
    raw.resize(raw.size() + (32u << 20), 0x5A); // the image data after the tags
    CountingSource source(raw);
    EXPECT_EQ(fileCaptureTime(source), (CaptureTime{2021, 7, 14, 9, 30, 5}));
    EXPECT_LE(source.requested, 1024u);
}

// The same damage on disk, through the reader the program uses.
class DamagedFiles : public testing::PosixTestFolder {};

TEST_F(DamagedFiles, HundredsOfDamagedFilesGiveAPlausibleDateOrNothing) {
    std::mt19937 random(7);
    ExifCaptureDates dates;
    const std::vector<ByteVector> all = samples();
    for (int i = 0; i < 420; ++i) {
        ByteVector damaged = all[static_cast<std::size_t>(i) % all.size()];
        if (i % 3 == 0)
            damaged.resize(random() % damaged.size());
        for (unsigned flips = random() % 5; flips > 0 && !damaged.empty(); --flips)
            damaged[random() % damaged.size()] = static_cast<std::uint8_t>(random());
        const std::string file = path("d" + std::to_string(i));
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(damaged.data()),
                   static_cast<std::streamsize>(damaged.size()));
        EXPECT_TRUE(plausible(dates.captureTime(file))) << file;
    }
}

} // namespace
} // namespace quorvel
