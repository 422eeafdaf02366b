#include "PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/TestHooks.h"

#include <atomic>
#include <cerrno>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A user at the limit of their processes cannot start the thread that writes copies out
// early: the copies still go through, and the final sync covers them.
TEST_F(PosixSyncTest, CopiesGoOnWhenNoThreadCanBeStarted) {
    ASSERT_EQ(::chmod(root_.c_str(), 0755), 0);
    folder("Photos");
    folder("Tri", 0777);
    for (int i = 0; i < 300; ++i)
        write("Photos/IMG_" + std::to_string(i) + ".jpg");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Root ignores the limit; the user it stands for here does not.
        const rlimit none{0, 0};
        if (::setgid(65534) != 0 || ::setuid(65534) != 0 || ::setrlimit(RLIMIT_NPROC, &none) != 0)
            ::_exit(3);
        PosixFileSystem fs;
        for (int i = 0; i < 300; ++i) {
            const std::string name = "/IMG_" + std::to_string(i) + ".jpg";
            if (!fs.copyNoReplace(path("Photos") + name, path("Tri") + name))
                ::_exit(1);
        }
        ::_exit(fs.syncFileSystem(path("Tri")) ? 0 : 2);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 3)
        GTEST_SKIP() << "cannot become another user to be held to a process limit";
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read("Tri/IMG_299.jpg"), "x");
}

} // namespace
} // namespace quorvel::testing
