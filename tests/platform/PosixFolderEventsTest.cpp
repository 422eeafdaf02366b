#include "platform/posix/PosixFolderEvents.h"

#include "support/Window.h"

#include <cerrno>
#include <cstdio>
#include <poll.h>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

bool readable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return ::poll(&watched, 1, 0) == 1;
}

TEST(PosixFolderEvents, TellsEachChangedFolderOnceAndOnlyWatchedOnes) {
    TempFolder temp;
    const std::string photos = temp.folder("Photos");
    const std::string sorted = temp.folder("Tri");
    const std::string other = temp.folder("Autre");
    PosixFolderEvents events;
    ASSERT_GE(events.descriptor(), 0);
    ASSERT_TRUE(events.add(photos));
    ASSERT_TRUE(events.add(sorted));
    ASSERT_TRUE(events.add(sorted));
    EXPECT_FALSE(readable(events.descriptor()));
    EXPECT_TRUE(events.take().empty());

    temp.file("Photos/a.jpg");
    temp.file("Photos/b.jpg");
    ASSERT_EQ(std::rename((photos + "/a.jpg").c_str(), (sorted + "/a.jpg").c_str()), 0);
    temp.file("Autre/c.jpg");
    EXPECT_TRUE(readable(events.descriptor()));
    EXPECT_EQ(events.take(), (Names{photos, sorted}));
    EXPECT_FALSE(readable(events.descriptor()));

    events.remove(sorted);
    ASSERT_EQ(std::remove((sorted + "/a.jpg").c_str()), 0);
    EXPECT_TRUE(events.take().empty());
    (void)other;
}

TEST(PosixFolderEvents, AFolderThatGoesIsNewsAndCanBeWatchedAgainOnceMade) {
    TempFolder temp;
    const std::string photos = temp.folder("Photos");
    PosixFolderEvents events;
    ASSERT_TRUE(events.add(photos));
    ASSERT_EQ(::rmdir(photos.c_str()), 0);
    EXPECT_EQ(events.take(), Names{photos});

    const auto gone = events.add(photos);
    ASSERT_FALSE(gone);
    EXPECT_STREQ(gone.error().call, "inotify_add_watch");
    EXPECT_EQ(gone.code(), ENOENT);

    temp.folder("Photos");
    ASSERT_TRUE(events.add(photos));
    temp.file("Photos/a.jpg");
    EXPECT_EQ(events.take(), Names{photos});
    // A file is no folder to watch.
    EXPECT_EQ(events.add(photos + "/a.jpg").code(), ENOTDIR);
}

} // namespace
} // namespace quorvel::test
