#include "testing/FaultyFileSystem.h"

#include "platform/PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace quorvel {
namespace {

class FaultyFileSystemTest : public testing::PosixTestFolder {
protected:
    PosixFileSystem disk;
    FaultyFileSystem fs{disk};
};

TEST_F(FaultyFileSystemTest, FailsTheChosenCallsCountingFromNow) {
    write("a");
    (void)fs.renameNoReplace(path("a"), path("b"));
    fs.failNth(FsOp::Rename, 2, ENOSPC);
    EXPECT_EQ(fs.renameNoReplace(path("b"), path("c")).code(), 0);
    EXPECT_EQ(fs.renameNoReplace(path("c"), path("d")).code(), ENOSPC);
    EXPECT_TRUE(fs.exists(path("c"))); // a failed call touches nothing
    EXPECT_EQ(fs.renameNoReplace(path("c"), path("d")).code(), 0);
    EXPECT_EQ(fs.calls(FsOp::Rename), 4);
    EXPECT_EQ(fs.calls(FsOp::Copy), 0);
}

TEST_F(FaultyFileSystemTest, FailAllHoldsUntilCleared) {
    write("a");
    fs.failAll(FsOp::Copy, EIO);
    fs.failAll(FsOp::List, EACCES);
    EXPECT_EQ(fs.copyNoReplace(path("a"), path("b")).code(), EIO);
    EXPECT_EQ(fs.copyNoReplace(path("a"), path("b")).code(), EIO);
    const Listing listing = fs.listFiles(root_, "*.*");
    EXPECT_EQ(listing.error, EACCES);
    EXPECT_TRUE(listing.names.empty());
    EXPECT_EQ(fs.listFolders(root_).error, EACCES);
    EXPECT_FALSE(fs.exists(path("b")));
    fs.clearFaults();
    EXPECT_EQ(fs.copyNoReplace(path("a"), path("b")).code(), 0);
    EXPECT_EQ(fs.listFiles(root_, "*.*").names, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(fs.calls(FsOp::List), 3);
}

TEST_F(FaultyFileSystemTest, AFailedCallTouchesNothing) {
    folder("sub");
    write("file");
    fs.failNth(FsOp::RemoveFile, 1, EPERM);
    fs.failNth(FsOp::DeleteTree, 1, EACCES);
    fs.failNth(FsOp::ModificationTime, 1, EIO);
    EXPECT_EQ(fs.removeFile(path("file")).code(), EPERM);
    EXPECT_EQ(fs.modificationTime(path("file")).code(), EIO);
    const TreeDeleteResult tree = fs.deleteTree(path("sub"));
    EXPECT_EQ(tree.error, EACCES);
    EXPECT_EQ(tree.left, 1u);
    ASSERT_EQ(tree.leftEntries.size(), 1u);
    EXPECT_EQ(tree.leftEntries[0].path, path("sub"));
    EXPECT_TRUE(fs.exists(path("file")));
    EXPECT_TRUE(fs.isFolder(path("sub")));
}

TEST_F(FaultyFileSystemTest, ExtraVolumesJoinTheRealOnesInOrder) {
    fs.addVolume("/tmp/zz-card", "vfat");
    fs.addVolume("/");
    fs.addVolume("/aaa");
    const std::vector<Volume> volumes = fs.volumes();
    ASSERT_GE(volumes.size(), 3u);
    EXPECT_EQ(volumes[0].root, "/");
    EXPECT_EQ(std::count_if(volumes.begin(), volumes.end(),
                            [](const Volume& v) { return v.root == "/"; }),
              1);
    EXPECT_EQ(volumes[1].root, "/aaa");
    const auto card = std::find_if(volumes.begin(), volumes.end(),
                                   [](const Volume& v) { return v.root == "/tmp/zz-card"; });
    ASSERT_NE(card, volumes.end());
    EXPECT_EQ(card->fsType, "vfat");
}

} // namespace
} // namespace quorvel
