#include "PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"

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

} // namespace
} // namespace quorvel::testing
