#include "platform/PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"

#include <chrono>
#include <thread>
#include <unistd.h>

namespace quorvel::testing {
namespace {

using Names = std::vector<std::string>;

class ListingCacheTest : public PosixTestFolder {
protected:
    PosixFileSystem fs;
};

// One read serves both lists of a folder, and what changes on disk is seen at once,
// whether the folder was read a moment ago or long ago.
TEST_F(ListingCacheTest, ListingsFollowTheDiskAfterEveryChange) {
    folder("f");
    write("f/b.jpg");
    folder("f/sub");
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"b.jpg"}));
    write("f/a.jpg");
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"a.jpg", "b.jpg"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(fs.listFiles(path("f"), "*.*").names, (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(fs.listFolders(path("f")).names, (Names{"sub"}));
    write("f/c.JPG");
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"a.jpg", "b.jpg", "c.JPG"}));
    ASSERT_EQ(fs.renameNoReplace(path("f/a.jpg"), path("f/z.jpg")).code(), 0);
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"b.jpg", "c.JPG", "z.jpg"}));
    ::rmdir(path("f/sub").c_str());
    EXPECT_EQ(fs.listFolders(path("f")).names, Names{});
}

// Both panes of one folder hold its names once: every file matching, or the same pattern
// asked twice, gives the names the read made; a copy changed by its holder is its own.
TEST_F(ListingCacheTest, PanesOfOneFolderShareItsNames) {
    folder("f");
    write("f/a.jpg");
    write("f/b.jpg");
    const Listing all = fs.listFiles(path("f"), "*.*");
    EXPECT_TRUE(fs.listFiles(path("f"), "*.jpg").names.sameAs(all.names));
    write("f/c.png");
    const Listing some = fs.listFiles(path("f"), "*.jpg");
    EXPECT_EQ(some.names, (Names{"a.jpg", "b.jpg"}));
    Listing mine = fs.listFiles(path("f"), "*.jpg");
    EXPECT_TRUE(mine.names.sameAs(some.names));
    mine.names.push_back("x.jpg");
    EXPECT_EQ(some.names, (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(fs.listFiles(path("f"), "*.*").names, (Names{"a.jpg", "b.jpg", "c.png"}));
}

TEST_F(ListingCacheTest, AFolderSwappedForAnotherIsReadAgain) {
    folder("f");
    write("f/old.jpg");
    folder("g");
    write("g/new.jpg");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"old.jpg"}));
    ASSERT_EQ(::rename(path("f").c_str(), path("h").c_str()), 0);
    ASSERT_EQ(::rename(path("g").c_str(), path("f").c_str()), 0);
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"new.jpg"}));
}

TEST_F(ListingCacheTest, LinksAreLookedAtEveryTime) {
    folder("f");
    write("target.jpg");
    link(path("target.jpg"), "f/link.jpg");
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"link.jpg"}));
    // The link's target goes: the folder's own times do not move.
    ::unlink(path("target.jpg").c_str());
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, Names{});
}

} // namespace
} // namespace quorvel::testing

namespace quorvel::testing {
namespace {

// Changes made through the file system itself land at once, even within the tick of the
// folder's previous change.
TEST_F(ListingCacheTest, OwnChangesAreSeenAtOnce) {
    folder("f");
    write("f/a.jpg");
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"a.jpg"}));
    ASSERT_EQ(fs.renameNoReplace(path("f/a.jpg"), path("f/b.jpg")).code(), 0);
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"b.jpg"}));
    ASSERT_EQ(fs.copyNoReplace(path("f/b.jpg"), path("f/c.jpg")).code(), 0);
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"b.jpg", "c.jpg"}));
    ASSERT_EQ(fs.removeFile(path("f/b.jpg")).code(), 0);
    ASSERT_EQ(fs.createFolder(path("f/sub")).code(), 0);
    EXPECT_EQ(fs.listFiles(path("f"), "*.jpg").names, (Names{"c.jpg"}));
    EXPECT_EQ(fs.listFolders(path("f")).names, (Names{"sub"}));
    ASSERT_EQ(fs.removeFolder(path("f/sub")).code(), 0);
    EXPECT_EQ(fs.listFolders(path("f")).names, Names{});
}

} // namespace
} // namespace quorvel::testing
