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
    EXPECT_EQ(fs.syncFileSystem(path("Tri")), 0);
    EXPECT_EQ(fs.syncFileSystem(path("absent")), ENOENT);
    EXPECT_EQ(fs.syncFileSystem(path("notes.txt")), ENOTDIR);
}

} // namespace
} // namespace quorvel::testing
