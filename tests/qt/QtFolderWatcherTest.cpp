#include "platform/qtservices/QtFolderWatcher.h"

#include "platform/posix/PosixFolderEvents.h"

#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace quorvel {
namespace {

using Names = std::vector<std::string>;

// News that the test writes down a pipe, as the kernel would.
class PipeEvents : public FolderEvents {
public:
    PipeEvents() {
        int ends[2];
        if (::pipe(ends) == 0) {
            read_ = ends[0];
            write_ = ends[1];
        }
    }
    ~PipeEvents() override {
        ::close(read_);
        ::close(write_);
    }
    Result<void> add(const std::string& folder) override {
        if (folder == "/refused")
            return SystemError{"inotify_add_watch", ENOENT};
        watched.insert(folder);
        return {};
    }
    void remove(const std::string& folder) override { watched.erase(folder); }
    int descriptor() const override { return read_; }
    std::vector<std::string> take() override {
        // One byte a piece of news, so the pipe is empty once all is taken.
        char byte;
        for (std::size_t i = 0; i < queued_.size(); ++i)
            EXPECT_EQ(::read(read_, &byte, 1), 1);
        return std::exchange(queued_, {});
    }
    void news(const std::string& folder) {
        queued_.push_back(folder);
        const char byte = 0;
        ASSERT_EQ(::write(write_, &byte, 1), 1);
    }

    std::set<std::string> watched;

private:
    int read_ = -1;
    int write_ = -1;
    std::vector<std::string> queued_;
};

TEST(QtFolderWatcher, ABurstIsToldOnceWithEveryWatchedFolderItTouched) {
    PipeEvents events;
    QtFolderWatcher watcher(events, std::chrono::milliseconds(30));
    std::vector<Names> told;
    watcher.onChange = [&](const Names& folders) {
        told.push_back(folders);
        return true;
    };
    watcher.watch({"/a", "/b", "/refused", ""});
    EXPECT_EQ(events.watched, (std::set<std::string>{"/a", "/b"}));

    events.news("/b");
    QCoreApplication::processEvents();
    events.news("/a");
    events.news("/b");
    events.news("/elsewhere");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !told.empty(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(told, (std::vector<Names>{{"/a", "/b"}}));

    // A folder no longer watched is no news, even when its news was already on its way.
    events.news("/a");
    events.news("/b");
    QCoreApplication::processEvents();
    watcher.watch({"/b"});
    EXPECT_EQ(events.watched, (std::set<std::string>{"/b"}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return told.size() == 2; }, 5000));
    EXPECT_EQ(told.back(), Names{"/b"});
}

TEST(QtFolderWatcher, NewsRefusedForNowIsToldAgainLater) {
    PipeEvents events;
    QtFolderWatcher watcher(events, std::chrono::milliseconds(20));
    int asked = 0;
    bool busy = true;
    watcher.onChange = [&](const Names& folders) {
        EXPECT_EQ(folders, Names{"/a"});
        ++asked;
        return !busy;
    };
    watcher.watch({"/a"});
    events.news("/a");
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 2; }, 5000));
    busy = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return asked == 3; }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(asked, 3);
}

// The kernel's own news, through the event loop: a program that writes files in a watched
// folder makes the window hear of the folder.
TEST(QtFolderWatcher, HearsTheKernelAboutARealFolder) {
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const std::string folder = temp.path().toStdString();
    PosixFolderEvents events;
    QtFolderWatcher watcher(events, std::chrono::milliseconds(20));
    std::vector<Names> told;
    watcher.onChange = [&](const Names& folders) {
        told.push_back(folders);
        return true;
    };
    watcher.watch({folder});
    for (const char* name : {"/a.jpg", "/b.jpg", "/c.jpg"})
        std::ofstream(folder + name) << "x";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !told.empty(); }, 5000));
    EXPECT_EQ(told.front(), Names{folder});
}

} // namespace
} // namespace quorvel
