#include "batch/BatchExecutor.h"
#include "journal/Undo.h"
#include "platform/PosixTestFolder.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixJournalFiles.h"

#include <ctime>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace quorvel {
namespace {

// A camera card keeps its times to two seconds and no change time of its own: copies onto it
// are still told from other files, after a crash too.
class UndoOnFatTest : public testing::PosixTestFolder {
protected:
    WorkItem copyOf(const std::string& name) {
        return {path("photos/" + name), path("card/" + name), ChangeKind::Copy};
    }
    BatchInfo batch() const {
        return {BatchKind::CopyToTarget, path("photos"), path("card"), std::time(nullptr)};
    }

    PosixFileSystem fs;
    PosixJournalFiles files;
};

TEST_F(UndoOnFatTest, CopiesOntoACardAreUndoneWhetherTheBatchEndedOrCrashed) {
    folder("card");
    if (const std::string why = mountFat("card"); !why.empty())
        GTEST_SKIP() << why;
    folder("photos");
    for (const char* name : {"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"}) {
        write(std::string("photos/") + name, name);
        // Photos taken long before the batch, at an odd nanosecond.
        const struct timespec old[2] = {{1'500'000'001, 123'456'789}, {1'500'000'001, 123'456'789}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path(std::string("photos/") + name).c_str(), old, 0), 0);
    }
    Journal journal(files, path("state"));
    BatchExecutor finished(fs, &journal, [](const std::string&) {});
    finished.begin(batch(), 1);
    ASSERT_EQ(finished.perform(copyOf("IMG_1.jpg")).outcome, Outcome::Done);
    finished.finish();
    {
        // Killed once its copies were made, before any outcome was written.
        Journal killed(files, path("state"));
        killed.begins(batch());
        const std::vector<WorkItem> items{copyOf("IMG_2.jpg"), copyOf("IMG_3.jpg")};
        killed.beforeGroup(items);
        for (const WorkItem& item : items)
            ASSERT_TRUE(fs.copyNoReplace(item.source, item.target).ok());
    }

    std::optional<UndoableBatch> crashed = findUndoable(journal, fs);
    ASSERT_TRUE(crashed.has_value());
    EXPECT_EQ(crashed->steps.size(), 2u);
    EXPECT_EQ(undo(journal, fs, *crashed).restored, 2u);
    std::optional<UndoableBatch> ended = findUndoable(journal, fs);
    ASSERT_TRUE(ended.has_value());
    const UndoResult result = undo(journal, fs, *ended);
    EXPECT_EQ(result.restored, 1u);
    EXPECT_TRUE(result.failures.empty());
    struct stat st {};
    for (const char* name : {"IMG_1.jpg", "IMG_2.jpg", "IMG_3.jpg"}) {
        EXPECT_NE(::lstat(path(std::string("card/") + name).c_str(), &st), 0) << name;
        EXPECT_EQ(read(std::string("photos/") + name), name);
    }
}

} // namespace
} // namespace quorvel
