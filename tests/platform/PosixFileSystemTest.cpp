#include "platform/posix/PosixFileSystem.h"

#include "platform/PosixTestFolder.h"
#include "platform/posix/TestHooks.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quorvel {
namespace {

using Step = PosixStep;
using Names = std::vector<std::string>;

class PosixFileSystemTest : public testing::PosixTestFolder {
protected:
    PosixFileSystem fs;

    struct stat info(const std::string& name) const {
        struct stat st {};
        EXPECT_EQ(::lstat(path(name).c_str(), &st), 0) << name;
        return st;
    }
};

// Listing

TEST_F(PosixFileSystemTest, FilesComeInNaturalCaseInsensitiveOrder) {
    for (const char* name :
         {"IMG_10.jpg", "Zoo.jpg", "IMG_2.jpg", "img_3.JPG", "Été.jpg", "eta.jpg", "IMG_02.jpg"})
        write(name);
    const Listing listing = fs.listFiles(root_, "*.jpg");
    EXPECT_EQ(listing.error, 0);
    EXPECT_EQ(listing.names, (Names{"eta.jpg", "Été.jpg", "IMG_02.jpg", "IMG_2.jpg", "img_3.JPG",
                                    "IMG_10.jpg", "Zoo.jpg"}));
}

TEST_F(PosixFileSystemTest, ListingsKeepFilesAndFoldersApartAndLeaveHiddenOut) {
    char outside[] = "/tmp/quorvel-outside-XXXXXX";
    ASSERT_NE(::mkdtemp(outside), nullptr);
    write("photo.jpg");
    write(".hidden.jpg");
    folder("sub");
    folder(".cache");
    folder("album.jpg");
    link("photo.jpg", "linked.jpg");
    link(outside, "elsewhere");
    link(std::string(outside) + "/", "folder-link.jpg");
    link("missing.jpg", "dangling.jpg");

    EXPECT_EQ(fs.listFiles(root_, "*.jpg").names, (Names{"linked.jpg", "photo.jpg"}));
    EXPECT_EQ(fs.listFolders(root_).names,
              (Names{"album.jpg", "elsewhere", "folder-link.jpg", "sub"}));
    ::rmdir(outside);
}

TEST_F(PosixFileSystemTest, PatternIgnoresLetterCaseAndStarDotStarTakesEverything) {
    for (const char* name : {"a.jpg", "B.JPG", "c.jpeg", "noext", "É.JPG", "x.jpg.txt"})
        write(name);
    EXPECT_EQ(fs.listFiles(root_, "*.JPG").names, (Names{"a.jpg", "B.JPG", "É.JPG"}));
    EXPECT_EQ(fs.listFiles(root_, "*.*").names,
              (Names{"a.jpg", "B.JPG", "c.jpeg", "É.JPG", "noext", "x.jpg.txt"}));
    EXPECT_EQ(fs.listFiles(root_, "?.jp*g").names, (Names{"a.jpg", "B.JPG", "c.jpeg", "É.JPG"}));
}

TEST_F(PosixFileSystemTest, ListingAMissingFolderReportsWhy) {
    const Listing files = fs.listFiles(path("none"), "*.*");
    EXPECT_EQ(files.error, ENOENT);
    EXPECT_TRUE(files.names.empty());
    write("file");
    EXPECT_EQ(fs.listFolders(path("file")).error, ENOTDIR);
}

TEST_F(PosixFileSystemTest, EntryQuestionsFollowLinksOnlyWhereAsked) {
    folder("sub");
    link("sub", "to-sub");
    link("gone", "dangling");
    write("file");
    EXPECT_TRUE(fs.isFolder(path("to-sub")));
    EXPECT_FALSE(fs.isFolder(path("file")));
    EXPECT_TRUE(fs.exists(path("dangling")));
    EXPECT_FALSE(fs.exists(path("gone")));

    const struct timespec times[2] = {{1000000000, 0}, {1234567890, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path("file").c_str(), times, 0), 0);
    link("file", "to-file");
    const Result<std::int64_t> seconds = fs.modificationTime(path("to-file"));
    ASSERT_TRUE(seconds);
    EXPECT_EQ(seconds.value(), 1234567890);
    const Result<std::int64_t> dangling = fs.modificationTime(path("dangling"));
    EXPECT_EQ(dangling.code(), ENOENT);
    EXPECT_STREQ(dangling.error().call, "stat");
}

// Rename

TEST_F(PosixFileSystemTest, RenameNeverReplacesAFileOrAFolder) {
    write("a.jpg", "mine");
    write("b.jpg", "theirs");
    EXPECT_EQ(fs.renameNoReplace(path("a.jpg"), path("b.jpg")).code(), EEXIST);
    EXPECT_EQ(read("a.jpg"), "mine");
    EXPECT_EQ(read("b.jpg"), "theirs");

    folder("full");
    write("full/inside");
    folder("empty");
    EXPECT_EQ(fs.renameNoReplace(path("full"), path("empty")).code(), EEXIST);
    EXPECT_EQ(read("full/inside"), "x");
    EXPECT_EQ(fs.renameNoReplace(path("full"), path("moved")).code(), 0);
    EXPECT_EQ(read("moved/inside"), "x");
    EXPECT_EQ(fs.renameNoReplace(path("a.jpg"), path("c.jpg")).code(), 0);
    EXPECT_FALSE(fs.exists(path("a.jpg")));
    EXPECT_EQ(fs.renameNoReplace(path("a.jpg"), path("d.jpg")).code(), ENOENT);
}

TEST_F(PosixFileSystemTest, RenameOntoANameTakenMeanwhileIsACollision) {
    write("a.jpg", "mine");
    setStepHook(fs, [this](Step, const std::string&, const std::string& to) {
        write("b.jpg", "another program"); // between the program's check and its rename
        EXPECT_EQ(to, path("b.jpg"));
        return 0;
    });
    EXPECT_EQ(fs.renameNoReplace(path("a.jpg"), path("b.jpg")).code(), EEXIST);
    EXPECT_EQ(read("b.jpg"), "another program");
    EXPECT_EQ(read("a.jpg"), "mine");
}

TEST_F(PosixFileSystemTest, WithoutTheNoReplaceFlagRenameStillNeverReplaces) {
    setStepHook(fs, [](Step, const std::string&, const std::string&) { return EINVAL; });
    write("a", "mine");
    write("b", "theirs");
    EXPECT_EQ(fs.renameNoReplace(path("a"), path("b")).code(), EEXIST);
    EXPECT_EQ(read("b"), "theirs");
    EXPECT_EQ(fs.renameNoReplace(path("a"), path("c")).code(), 0);
    EXPECT_EQ(read("c"), "mine");
    EXPECT_FALSE(fs.exists(path("a")));
    EXPECT_EQ(info("c").st_nlink, 1u);

    folder("f");
    folder("g");
    EXPECT_EQ(fs.renameNoReplace(path("f"), path("g")).code(), EEXIST);
    EXPECT_EQ(fs.renameNoReplace(path("f"), path("h")).code(), 0);
    EXPECT_TRUE(fs.isFolder(path("h")));
}

// Two names of one inode: what a case-insensitive file system shows for a change of case.
// There the old name vanishes once the entry has moved away; the hook plays that part.
TEST_F(PosixFileSystemTest, ChangeOfCaseGoesThroughATemporaryName) {
    write("DSC01.JPG", "photo");
    ASSERT_EQ(::link(path("DSC01.JPG").c_str(), path("DSC01.jpg").c_str()), 0);
    std::vector<std::pair<std::string, std::string>> steps;
    setStepHook(fs, [&](Step, const std::string& from, const std::string& to) {
        steps.emplace_back(from, to);
        if (steps.size() == 3) // the entry is away under its temporary name
            ::unlink(path("DSC01.jpg").c_str());
        return 0;
    });
    EXPECT_EQ(fs.renameNoReplace(path("DSC01.JPG"), path("DSC01.jpg")).code(), 0);
    EXPECT_EQ(read("DSC01.jpg"), "photo");
    EXPECT_FALSE(fs.exists(path("DSC01.JPG")));
    EXPECT_TRUE(hiddenNames().empty());
    ASSERT_EQ(steps.size(), 3u);
    EXPECT_EQ(steps[1].first, path("DSC01.JPG"));
    EXPECT_EQ(steps[2].first, steps[1].second);
    EXPECT_EQ(steps[2].second, path("DSC01.jpg"));
}

TEST_F(PosixFileSystemTest, ChangeOfCaseRollsBackAndNeverReplaces) {
    // Two real hard links: the second step finds the other name and must not replace it.
    write("DSC01.JPG", "photo");
    ASSERT_EQ(::link(path("DSC01.JPG").c_str(), path("DSC01.jpg").c_str()), 0);
    EXPECT_EQ(fs.renameNoReplace(path("DSC01.JPG"), path("DSC01.jpg")).code(), EEXIST);
    EXPECT_TRUE(fs.exists(path("DSC01.JPG")));
    EXPECT_TRUE(fs.exists(path("DSC01.jpg")));
    EXPECT_TRUE(hiddenNames().empty());

    // The second step fails for another reason: the entry comes back to its old name.
    ::unlink(path("DSC01.jpg").c_str());
    ASSERT_EQ(::link(path("DSC01.JPG").c_str(), path("DSC01.jpg").c_str()), 0);
    int renames = 0;
    setStepHook(
        fs, [&](Step, const std::string&, const std::string&) { return ++renames == 3 ? EIO : 0; });
    EXPECT_EQ(fs.renameNoReplace(path("DSC01.JPG"), path("DSC01.jpg")).code(), EIO);
    EXPECT_EQ(read("DSC01.JPG"), "photo");
    EXPECT_TRUE(hiddenNames().empty());

    // A different file under the other spelling is a plain collision.
    setStepHook(fs, nullptr);
    write("IMG.JPG", "one");
    write("IMG.jpg", "two");
    EXPECT_EQ(fs.renameNoReplace(path("IMG.JPG"), path("IMG.jpg")).code(), EEXIST);
    EXPECT_EQ(read("IMG.jpg"), "two");
    EXPECT_EQ(read("IMG.JPG"), "one");
}

// Copy

TEST_F(PosixFileSystemTest, CopyCarriesDataModeAndTimes) {
    std::string data(3 * 1024 * 1024 + 17, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 131 % 251);
    write("source.jpg", data, 0640);
    const struct timespec times[2] = {{1100000000, 5}, {1000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path("source.jpg").c_str(), times, 0), 0);
    folder("target");

    ASSERT_EQ(fs.copyNoReplace(path("source.jpg"), path("target/copy.jpg")).code(), 0);
    const struct stat copy = info("target/copy.jpg"); // before reading moves its access time
    EXPECT_EQ(read("target/copy.jpg"), data);
    EXPECT_EQ(copy.st_mode & 07777, 0640u);
    EXPECT_EQ(copy.st_mtim.tv_sec, 1000000000);
    EXPECT_EQ(copy.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(copy.st_atim.tv_sec, 1100000000);
    EXPECT_TRUE(hiddenNames("target").empty());
}

TEST_F(PosixFileSystemTest, CopyWithoutUnnamedFilesGoesThroughAHiddenOne) {
    write("source.jpg", "data", 0600);
    setStepHook(fs, [](Step step, const std::string&, const std::string&) {
        return step == Step::TempFile ? EOPNOTSUPP : 0;
    });
    ASSERT_EQ(fs.copyNoReplace(path("source.jpg"), path("copy.jpg")).code(), 0);
    EXPECT_EQ(read("copy.jpg"), "data");
    EXPECT_EQ(info("copy.jpg").st_mode & 07777, 0600u);
    EXPECT_TRUE(hiddenNames().empty());

    write("taken.jpg", "theirs");
    EXPECT_EQ(fs.copyNoReplace(path("source.jpg"), path("taken.jpg")).code(), EEXIST);
    EXPECT_EQ(read("taken.jpg"), "theirs");
}

// A hidden partial copy is removed only when nobody can still be writing it: its process
// is gone and no writer holds its lock. It never shows in a listing.
TEST_F(PosixFileSystemTest, ACopyClearsThePartialCopiesOfDeadProcessesOnly) {
    const pid_t dead = ::fork();
    if (dead == 0)
        ::_exit(0);
    ASSERT_GT(dead, 0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string gone = ".quorvel-copy-" + std::to_string(dead);
    const std::string mine = ".quorvel-copy-" + std::to_string(::getpid()) + "-999";
    const Names kept{gone + "-1", gone + "-x", ".quorvel-copy-1-0", mine};
    for (const std::string& name : kept)
        write(name, "partial");
    write(gone + "-0", "partial");
    // A writer this process cannot see, in another PID namespace or on another machine.
    const int locked = ::open(path(gone + "-1").c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(locked, 0);
    ASSERT_EQ(::flock(locked, LOCK_EX), 0);
    write("source.jpg", "data");
    setStepHook(fs, [](Step step, const std::string&, const std::string&) {
        return step == Step::TempFile ? EOPNOTSUPP : 0;
    });

    EXPECT_EQ(fs.copyNoReplace(path("source.jpg"), path("copy.jpg")).code(), 0);
    ::close(locked);
    Names hidden = hiddenNames();
    std::sort(hidden.begin(), hidden.end());
    Names expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(hidden, expected);
    EXPECT_EQ(fs.listFiles(root_, "*.*").names, (Names{"copy.jpg", "source.jpg"}));
}

// A FAT card through FUSE keeps no modes (fchmod answers ENOSYS), has no unnamed files nor
// hard links, and gives each spelling of a name its own inode.
TEST_F(PosixFileSystemTest, AFatCardThroughFuseTakesCopiesAndChangesOfCase) {
    write("source.jpg", "photo", 0640);
    folder("card");
    if (const std::string why = mountFat("card"); !why.empty())
        GTEST_SKIP() << why;
    ASSERT_EQ(fs.copyNoReplace(path("source.jpg"), path("card/dsc01.jpg")).code(), 0);
    EXPECT_EQ(read("card/dsc01.jpg"), "photo");
    EXPECT_TRUE(hiddenNames("card").empty());

    EXPECT_EQ(fs.renameNoReplace(path("card/dsc01.jpg"), path("card/DSC01.JPG")).code(), 0);
    EXPECT_EQ(fs.listFiles(path("card"), "*.*").names, Names{"DSC01.JPG"});
    EXPECT_EQ(read("card/DSC01.JPG"), "photo");
    EXPECT_TRUE(hiddenNames("card").empty());

    // Another file under another spelling is still a collision.
    ASSERT_EQ(fs.copyNoReplace(path("source.jpg"), path("card/other.jpg")).code(), 0);
    EXPECT_EQ(fs.renameNoReplace(path("card/DSC01.JPG"), path("card/OTHER.jpg")).code(), EEXIST);
    EXPECT_EQ(fs.listFiles(path("card"), "*.*").names, (Names{"DSC01.JPG", "other.jpg"}));
}

// A batch of renames takes its files' identities from one read of the folder: they must be
// the inodes the files report, read again through the same open folder, and never guessed
// where the volume may number its entries otherwise.
TEST_F(PosixFileSystemTest, EntryInodesAreTheFilesOwnAndOnlyWhereTheVolumeAgrees) {
    write("a.jpg", "a");
    write("b.jpg", "b");
    folder("sub");
    ASSERT_EQ(::symlink("a.jpg", path("link.jpg").c_str()), 0);
    auto opened = fs.openFolder(path(""), false);
    ASSERT_TRUE(opened);
    Folder& open = *opened.value();
    for (int read = 0; read < 2; ++read) {
        const EntryInodes inodes = fs.entryInodes(open);
        ASSERT_FALSE(inodes.empty()) << "read " << read;
        for (const char* name : {"a.jpg", "b.jpg", "link.jpg"})
            EXPECT_EQ(inodes.find(name), info(name).st_ino) << name;
        EXPECT_EQ(inodes.find("sub"), 0u);
        EXPECT_EQ(inodes.find("missing.jpg"), 0u);
    }

    folder("card");
    if (const std::string why = mountFat("card"); !why.empty())
        GTEST_SKIP() << why;
    ASSERT_EQ(fs.copyNoReplace(path("a.jpg"), path("card/a.jpg")).code(), 0);
    auto card = fs.openFolder(path("card"), false);
    ASSERT_TRUE(card);
    EXPECT_TRUE(fs.entryInodes(*card.value()).empty());
}

TEST_F(PosixFileSystemTest, CopyNeverReplacesEvenANameTakenDuringTheCopy) {
    write("source.jpg", "mine");
    write("taken.jpg", "theirs");
    EXPECT_EQ(fs.copyNoReplace(path("source.jpg"), path("taken.jpg")).code(), EEXIST);
    EXPECT_EQ(read("taken.jpg"), "theirs");

    for (const bool unnamed : {true, false}) {
        SCOPED_TRACE(unnamed ? "unnamed temporary" : "hidden temporary");
        ::unlink(path("late.jpg").c_str());
        setStepHook(fs, [&](Step step, const std::string&, const std::string&) {
            if (step == Step::TempFile && !unnamed)
                return EOPNOTSUPP;
            if (step == Step::CopyData)
                write("late.jpg", "another program");
            return 0;
        });
        EXPECT_EQ(fs.copyNoReplace(path("source.jpg"), path("late.jpg")).code(), EEXIST);
        EXPECT_EQ(read("late.jpg"), "another program");
        EXPECT_TRUE(hiddenNames().empty());
    }
}

TEST_F(PosixFileSystemTest, FailedCopyLeavesNothingBehind) {
    write("source.jpg", "data");
    const std::pair<bool, Step> cases[] = {{true, Step::CopyData},
                                           {true, Step::LinkTarget},
                                           {false, Step::CopyData},
                                           {false, Step::Rename}};
    for (const auto& [unnamed, failing] : cases) {
        SCOPED_TRACE(std::to_string(unnamed) + " " + std::to_string(static_cast<int>(failing)));
        setStepHook(fs, [&](Step step, const std::string&, const std::string&) {
            if (step == Step::TempFile && !unnamed)
                return EOPNOTSUPP;
            return step == failing ? ENOSPC : 0;
        });
        const auto copied = fs.copyNoReplace(path("source.jpg"), path("copy.jpg"));
        EXPECT_EQ(copied.code(), ENOSPC);
        // The failure names the step that the hook stood in for.
        EXPECT_STREQ(copied.error().call, failing == Step::CopyData     ? "copy_file_range"
                                          : failing == Step::LinkTarget ? "linkat"
                                                                        : "renameat2");
        EXPECT_FALSE(fs.exists(path("copy.jpg")));
        EXPECT_TRUE(hiddenNames().empty());
    }
    setStepHook(fs, nullptr);
    EXPECT_EQ(fs.copyNoReplace(path("missing.jpg"), path("copy.jpg")).code(), ENOENT);
    folder("sub");
    EXPECT_EQ(fs.copyNoReplace(path("sub"), path("copy.jpg")).code(), EISDIR);
    EXPECT_FALSE(fs.exists(path("copy.jpg")));
}

TEST_F(PosixFileSystemTest, CopyIntoAnImmutableFolderFailsCleanly) {
    write("source.jpg", "data");
    folder("locked");
    if (!makeImmutable("locked"))
        GTEST_SKIP() << "no immutable attribute on this file system";
    for (const bool unnamed : {true, false}) {
        setStepHook(fs, [&](Step step, const std::string&, const std::string&) {
            return step == Step::TempFile && !unnamed ? EOPNOTSUPP : 0;
        });
        EXPECT_EQ(fs.copyNoReplace(path("source.jpg"), path("locked/copy.jpg")).code(), EPERM);
        EXPECT_FALSE(fs.exists(path("locked/copy.jpg")));
        EXPECT_TRUE(hiddenNames("locked").empty());
    }
}

// Single entries

TEST_F(PosixFileSystemTest, RemoveFileTakesALinkAsALinkAndRefusesFolders) {
    write("target", "kept");
    link("target", "link");
    EXPECT_EQ(fs.removeFile(path("link")).code(), 0);
    EXPECT_EQ(read("target"), "kept");
    folder("sub");
    EXPECT_EQ(fs.removeFile(path("sub")).code(), EISDIR);
    EXPECT_TRUE(fs.isFolder(path("sub")));
}

} // namespace
} // namespace quorvel
