#include "platform/PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TestHooks.h"
#include "testing/FaultyFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace quorvel {
namespace {

class TreeDeleteTest : public testing::PosixTestFolder {
protected:
    PosixFileSystem fs;
};

TEST_F(TreeDeleteTest, RemovesHiddenReadOnlyAndNestedEntries) {
    folder("tree");
    write("tree/photo.jpg");
    write("tree/.hidden", "h", 0000);
    write("tree/read-only.jpg", "r", 0444);
    folder("tree/a");
    folder("tree/a/b");
    write("tree/a/b/deep.jpg");
    folder("tree/.secret");
    write("tree/.secret/x");
    folder("tree/a/locked");
    write("tree/a/locked/inside");
    ASSERT_EQ(::chmod(path("tree/a/locked").c_str(), 0500), 0);
    folder("tree/a/closed");
    write("tree/a/closed/inside");
    ASSERT_EQ(::chmod(path("tree/a/closed").c_str(), 0000), 0);

    const TreeDeleteResult result = fs.deleteTree(path("tree"));
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.removed, 13u);
    EXPECT_EQ(result.left, 0u);
    EXPECT_TRUE(result.leftEntries.empty());
    EXPECT_FALSE(fs.exists(path("tree")));
}

TEST_F(TreeDeleteTest, LinksAreRemovedAndNeverFollowed) {
    folder("outside");
    write("outside/keep.jpg", "kept");
    write("alone.jpg", "kept too");
    folder("tree");
    link(path("outside"), "tree/to-folder");
    link(path("alone.jpg"), "tree/to-file");
    link("nowhere", "tree/dangling");

    const TreeDeleteResult result = fs.deleteTree(path("tree"));
    EXPECT_EQ(result.error, 0);
    EXPECT_EQ(result.removed, 4u);
    EXPECT_EQ(read("outside/keep.jpg"), "kept");
    EXPECT_EQ(read("alone.jpg"), "kept too");
    EXPECT_FALSE(fs.exists(path("tree")));
}

TEST_F(TreeDeleteTest, ARootThatIsALinkIsRefused) {
    folder("real");
    write("real/keep.jpg");
    link(path("real"), "link");
    for (const std::string& given : {path("link"), path("link/")}) {
        const TreeDeleteResult result = fs.deleteTree(given);
        EXPECT_EQ(result.error, ELOOP) << given;
        EXPECT_EQ(result.removed, 0u);
        EXPECT_EQ(result.left, 1u);
        ASSERT_EQ(result.leftEntries.size(), 1u);
        EXPECT_EQ(result.leftEntries[0].path, path("link"));
    }
    EXPECT_TRUE(fs.exists(path("real/keep.jpg")));
    EXPECT_TRUE(fs.exists(path("link")));

    write("file");
    EXPECT_EQ(fs.deleteTree(path("file")).error, ENOTDIR);
    EXPECT_TRUE(fs.exists(path("file")));
    const TreeDeleteResult missing = fs.deleteTree(path("missing"));
    EXPECT_EQ(missing.error, ENOENT);
    EXPECT_EQ(missing.left, 0u);
}

// A chain tree/sub/file: its removals come in a known order (file, sub, tree). Every
// entry left is named with its own reason.
TEST_F(TreeDeleteTest, AFailedRemovalLeavesItAndEveryFolderAbove) {
    const char* chain[] = {"tree/sub/file", "tree/sub", "tree"};
    for (int failing = 1; failing <= 3; ++failing) {
        SCOPED_TRACE(failing);
        folder("tree");
        folder("tree/sub");
        write("tree/sub/file");
        FaultyFileSystem faulty(fs);
        setTreeRemovalHook(fs, faulty.treeEntryHook());
        faulty.failNth(FsOp::DeleteTreeEntry, failing, EACCES);
        const TreeDeleteResult result = faulty.deleteTree(path("tree"));
        EXPECT_EQ(faulty.calls(FsOp::DeleteTreeEntry), 3);
        EXPECT_EQ(result.error, EACCES);
        std::vector<LeftEntry> expected;
        for (int k = failing - 1; k < 3; ++k)
            expected.push_back({path(chain[k]), k == failing - 1 ? EACCES : ENOTEMPTY});
        ASSERT_EQ(result.leftEntries.size(), expected.size());
        for (std::size_t k = 0; k < expected.size(); ++k) {
            EXPECT_EQ(result.leftEntries[k].path, expected[k].path);
            EXPECT_EQ(result.leftEntries[k].error, expected[k].error);
        }
        EXPECT_EQ(result.left, static_cast<std::size_t>(4 - failing));
        EXPECT_EQ(result.removed, static_cast<std::size_t>(failing - 1));
        setTreeRemovalHook(fs, nullptr);
        EXPECT_EQ(fs.deleteTree(path("tree")).left, 0u);
    }
}

TEST_F(TreeDeleteTest, AnImmutableFileStaysWithItsFolders) {
    folder("tree");
    folder("tree/sub");
    write("tree/sub/stuck");
    write("tree/sub/free");
    if (!makeImmutable("tree/sub/stuck"))
        GTEST_SKIP() << "no immutable attribute on this file system";
    const TreeDeleteResult result = fs.deleteTree(path("tree"));
    EXPECT_EQ(result.error, EPERM);
    ASSERT_FALSE(result.leftEntries.empty());
    EXPECT_EQ(result.leftEntries[0].path, path("tree/sub/stuck"));
    EXPECT_EQ(result.left, 3u);
    EXPECT_EQ(result.removed, 1u);
    EXPECT_TRUE(fs.exists(path("tree/sub/stuck")));
    EXPECT_FALSE(fs.exists(path("tree/sub/free")));
}

// Deleting the root of a mount would empty that whole volume, listed as a drive or not.
TEST_F(TreeDeleteTest, AMountRootOfAnyKindIsRefusedWhole) {
    folder("tmp");
    folder("bound");
    folder("outside");
    write("outside/keep.jpg");
    if (!mountTmpfs("tmp") || !bindMount(path("outside"), "bound"))
        GTEST_SKIP() << "mounting needs a privilege this process lacks";
    write("tmp/keep.jpg");
    folder("tmp/sub");
    link(path("tmp"), "to-tmp");

    EXPECT_TRUE(fs.isMountRoot("/"));
    for (const std::string& root : {path("tmp"), path("tmp/"), path("bound")}) {
        EXPECT_TRUE(fs.isMountRoot(root)) << root;
        const TreeDeleteResult result = fs.deleteTree(root);
        EXPECT_EQ(result.error, EBUSY) << root;
        EXPECT_EQ(result.removed, 0u);
        EXPECT_EQ(result.left, 1u);
    }
    for (const std::string& plain : {path("outside"), path("tmp/sub"), path("to-tmp"), root_})
        EXPECT_FALSE(fs.isMountRoot(plain)) << plain;
    EXPECT_TRUE(fs.exists(path("tmp/keep.jpg")));
    EXPECT_TRUE(fs.exists(path("outside/keep.jpg")));
}

TEST_F(TreeDeleteTest, ACardMountedThroughFuseIsRefusedWhole) {
    folder("card");
    if (const std::string why = mountFat("card"); !why.empty())
        GTEST_SKIP() << why;
    write("keep.jpg");
    ASSERT_EQ(fs.copyNoReplace(path("keep.jpg"), path("card/keep.jpg")).code(), 0);
    EXPECT_TRUE(fs.isMountRoot(path("card")));
    EXPECT_EQ(fs.deleteTree(path("card")).error, EBUSY);
    EXPECT_TRUE(fs.exists(path("card/keep.jpg")));
}

TEST_F(TreeDeleteTest, NeverEntersAnotherMountedFileSystem) {
    folder("tree");
    folder("tree/mnt");
    folder("tree/bound");
    folder("outside");
    write("outside/keep.jpg");
    if (!mountTmpfs("tree/mnt") || !bindMount(path("outside"), "tree/bound"))
        GTEST_SKIP() << "mounting needs a privilege this process lacks";
    write("tree/mnt/keep.jpg");
    write("tree/file");

    const TreeDeleteResult result = fs.deleteTree(path("tree"));
    EXPECT_EQ(result.error, EXDEV);
    EXPECT_EQ(result.removed, 1u);
    EXPECT_EQ(result.left, 3u); // both mount points and the tree itself
    EXPECT_TRUE(fs.exists(path("tree/mnt/keep.jpg")));
    EXPECT_TRUE(fs.exists(path("outside/keep.jpg")));
    EXPECT_FALSE(fs.exists(path("tree/file")));
}

// Volumes

TEST(Volumes, RootFirstThenRealMountsInPathOrder) {
    PosixFileSystem fs;
    const std::vector<Volume> volumes = fs.volumes();
    ASSERT_FALSE(volumes.empty());
    EXPECT_EQ(volumes.front().root, "/");
    std::set<std::string> seen;
    for (std::size_t i = 0; i < volumes.size(); ++i) {
        const std::string& root = volumes[i].root;
        EXPECT_TRUE(seen.insert(root).second) << root;
        EXPECT_FALSE(root.starts_with("/proc") || root.starts_with("/sys")) << root;
        if (i > 1) {
            EXPECT_LT(volumes[i - 1].root, root);
        }
    }
}

TEST(Volumes, MountInfoKeepsOnlyUserVisibleFileSystems) {
    const std::string text =
        "1 0 0:1 / / rw - overlay overlay rw\n"
        "2 1 0:2 / /proc rw - proc proc rw\n"
        "3 1 0:3 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n"
        "4 1 0:4 / /tmp rw shared:1 - tmpfs tmpfs rw\n"
        "5 1 8:1 / /media/me/Carte\\040SD rw shared:2 master:1 - vfat /dev/sdb1 rw\n"
        "6 1 8:2 / /home rw - ext4 /dev/sda2 rw\n"
        "7 1 8:3 / /run/media/me/DISK rw - exfat /dev/sdc1 rw\n"
        "8 1 0:5 / /run/user/1000/doc rw - fuse.portal portal rw\n"
        "9 1 0:6 / /home/me/remote rw - fuse.sshfs me@host: rw\n"
        "10 1 0:7 / /opt/fuse rw - fuse.sshfs me@host: rw\n"
        "11 1 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
        "12 1 8:2 /etc/hosts /etc/hosts rw - ext4 /dev/sda2 rw\n"
        "13 1 8:2 /@data /data rw - btrfs /dev/sda3 rw\n"
        "14 1 8:4 / /mnt/usb rw - ext4 /dev/sdd1 rw\n"
        "15 1 0:8 / /mnt/usb rw - tmpfs tmpfs rw\n"
        "16 1 8:5 / /boot/efi rw - vfat /dev/sda1 rw\n"
        "17 1 8:6 / /dev/sdz rw - ext4 /dev/sdz rw\n"
        "garbage line\n";
    const auto isFolder = [](const std::string& path) { return path != "/etc/hosts"; };
    const std::vector<Volume> volumes = volumesFromMountInfo(text, isFolder);
    std::vector<std::string> roots;
    for (const Volume& volume : volumes)
        roots.push_back(volume.root);
    EXPECT_EQ(roots,
              (std::vector<std::string>{"/", "/boot/efi", "/data", "/home", "/home/me/remote",
                                        "/media/me/Carte SD", "/run/media/me/DISK"}));
    EXPECT_EQ(volumes.front().fsType, "overlay");
    EXPECT_EQ(volumes[5].fsType, "vfat");
}

TEST(Volumes, RootIsThereEvenWithoutAMountLine) {
    const std::vector<Volume> volumes =
        volumesFromMountInfo("", [](const std::string&) { return true; });
    ASSERT_EQ(volumes.size(), 1u);
    EXPECT_EQ(volumes[0].root, "/");
}

} // namespace
} // namespace quorvel
