#include "PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TestHooks.h"

#include <atomic>
#include <cerrno>

namespace quorvel::testing {
namespace {

class PosixSyncTest : public PosixTestFolder {};

TEST_F(PosixSyncTest, SyncsTheFileSystemOfAFolderAndSaysWhyItCannot) {
    PosixFileSystem fs;
    folder("Tri");
    write("notes.txt");
    EXPECT_EQ(fs.syncFileSystem(path("Tri")).code(), 0);
    EXPECT_EQ(fs.syncFileSystem(path("absent")).code(), ENOENT);
    const auto notAFolder = fs.syncFileSystem(path("notes.txt"));
    EXPECT_EQ(notAFolder.code(), ENOTDIR);
    EXPECT_STREQ(notAFolder.error().call, "open");
}

// Copies are written out while the batch goes on; the sync at its end still covers the file
// system they went to, even when their folder has gone meanwhile, and says so of no other.
TEST_F(PosixSyncTest, CopiesAreWrittenOutAsTheyComeAndTheFinalSyncCoversThem) {
    PosixFileSystem fs;
    folder("Photos");
    folder("Tri");
    folder("Vide");
    for (int i = 0; i < 600; ++i) {
        const std::string name = "/IMG_" + std::to_string(i) + ".jpg";
        write("Photos" + name, std::string(static_cast<std::size_t>(i), 'p'));
        ASSERT_EQ(fs.copyNoReplace(path("Photos") + name, path("Tri") + name).code(), 0);
    }
    EXPECT_EQ(fs.syncFileSystem(path("Tri")).code(), 0);
    EXPECT_EQ(read("Tri/IMG_599.jpg"), std::string(599, 'p'));

    ASSERT_EQ(fs.copyNoReplace(path("Photos/IMG_1.jpg"), path("Vide/IMG_1.jpg")).code(), 0);
    ASSERT_EQ(fs.removeFile(path("Vide/IMG_1.jpg")).code(), 0);
    ASSERT_EQ(fs.removeFolder(path("Vide")).code(), 0);
    EXPECT_EQ(fs.syncFileSystem(path("Vide")).code(), 0);
    EXPECT_EQ(fs.syncFileSystem(path("Vide")).code(), ENOENT);
}

// A write error met while the batch went on is the batch's error, though the final sync
// itself succeeds.
TEST_F(PosixSyncTest, AnEarlyWriteOutThatFailedFailsTheFinalSync) {
    PosixFileSystem fs;
    folder("Photos");
    folder("Tri");
    std::atomic<int> syncs = 0;
    setStepHook(fs, [&syncs](PosixStep step, const std::string&, const std::string&) {
        return step == PosixStep::Sync && syncs++ == 0 ? EIO : 0;
    });
    for (int i = 0; i < 300; ++i) {
        const std::string name = "/IMG_" + std::to_string(i) + ".jpg";
        write("Photos" + name);
        ASSERT_EQ(fs.copyNoReplace(path("Photos") + name, path("Tri") + name).code(), 0);
    }
    EXPECT_EQ(fs.syncFileSystem(path("Tri")).code(), EIO);
    EXPECT_EQ(syncs, 2);
    EXPECT_EQ(fs.syncFileSystem(path("Tri")).code(), 0);
}

} // namespace
} // namespace quorvel::testing
