#include "batch/BatchExecutor.h"

#include "support/Window.h"

#include <cerrno>
#include <chrono>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace quorvel::test {
namespace {

using Names = std::vector<std::string>;

// Writes down what the executor tells, and what the disk held when it was told.
class Recorder : public BatchObserver {
public:
    void begins(const BatchInfo& info) override {
        log.push_back("begins " + info.sourceFolder + " -> " + info.targetFolder);
        began = info.began;
    }
    void beforeGroup(std::span<const WorkItem> group) override {
        std::string line = "group";
        for (const WorkItem& item : group)
            line += std::string(" ") + (exists(item.source) ? "present" : "gone");
        log.push_back(line);
    }
    void afterItem(const WorkItem& item, const ItemOutcome& outcome) override {
        log.push_back(lastName(item.target) + " " +
                      std::to_string(static_cast<int>(outcome.outcome)) + " " +
                      std::to_string(outcome.error) + outcome.reason);
    }
    void ends(const BatchSummary& summary) override {
        log.push_back("ends " + std::to_string(summary.done) + " " +
                      std::to_string(summary.syncError));
    }
    static std::string lastName(const std::string& path) {
        return path.substr(path.rfind('/') + 1);
    }

    Names log;
    std::time_t began = 0;
};

class BatchExecutorTest : public ::testing::Test {
protected:
    BatchExecutor executor(BatchObserver* observer = nullptr) {
        return BatchExecutor(fs, observer,
                             [this](const std::string& text) { shown.push_back(text); });
    }
    WorkItem item(const std::string& from, const std::string& to,
                  ChangeKind kind = ChangeKind::Rename) {
        return {temp / from, temp / to, kind};
    }

    TempFolder temp;
    PosixFileSystem disk;
    FaultyFileSystem fs{disk};
    Names shown;
};

constexpr int done = static_cast<int>(Outcome::Done);
constexpr int collision = static_cast<int>(Outcome::Collision);
constexpr int refused = static_cast<int>(Outcome::Refused);
constexpr int failed = static_cast<int>(Outcome::Failed);

TEST_F(BatchExecutorTest, EachOutcomeIsReportedInOrderAfterTheGroupIsAnnounced) {
    temp.file("a.jpg", "A");
    temp.file("b.jpg", "B");
    temp.file("c.jpg", "C");
    temp.file("d.jpg", "D");
    temp.folder("Tri");
    Recorder recorder;
    BatchExecutor run = executor(&recorder);
    run.begin({BatchKind::CopyToTarget, temp.path(), temp / "Tri", 1234}, 5);
    fs.failNth(FsOp::Rename, 3, EIO);
    const std::vector<WorkItem> group{item("a.jpg", "x.jpg"), item("b.jpg", "c.jpg") /* taken */,
                                      item("c.jpg", "Tri/c.gif", ChangeKind::Copy),
                                      item("d.jpg", "y.jpg")};
    std::vector<ItemOutcome> outcomes;
    run.perform(group, outcomes);
    run.settled(item("e.jpg", ".e.jpg"), {Outcome::Refused, 0, "caché"});
    const BatchSummary summary = run.finish();

    ASSERT_EQ(outcomes.size(), 4u);
    EXPECT_EQ(outcomes[1].outcome, Outcome::Collision);
    EXPECT_EQ(outcomes[3].outcome, Outcome::Failed);
    EXPECT_EQ(outcomes[3].error, EIO);
    EXPECT_EQ(summary.done, 2);
    EXPECT_EQ(summary.collisions, 1);
    EXPECT_EQ(summary.failed, 1);
    EXPECT_EQ(summary.refused, 1);
    EXPECT_EQ(summary.syncError, 0);
    EXPECT_EQ(recorder.began, 1234);
    const std::string zero = " 0";
    EXPECT_EQ(
        recorder.log,
        (Names{"begins " + temp.path() + " -> " + temp / "Tri",
               "group present present present present", "x.jpg " + std::to_string(done) + zero,
               "c.jpg " + std::to_string(collision) + zero, "c.gif " + std::to_string(done) + zero,
               "y.jpg " + std::to_string(failed) + " " + std::to_string(EIO),
               ".e.jpg " + std::to_string(refused) + " 0caché", "ends 2 0"}));
    // A collision and a failure touch nothing; the copy leaves its source.
    EXPECT_EQ(namesIn(temp.path()), (Names{"Tri", "b.jpg", "c.jpg", "d.jpg", "x.jpg"}));
    EXPECT_EQ(readFile(temp / "c.jpg"), "C");
    EXPECT_EQ(readFile(temp / "Tri/c.gif"), "C");
    // Two folders written to, each synced once; a short batch shows no progress.
    EXPECT_EQ(fs.calls(FsOp::Sync), 2);
    EXPECT_TRUE(shown.empty());
}

TEST_F(BatchExecutorTest, OnlyABatchThatWroteSyncsAndAFailedSyncIsNotSuccess) {
    temp.file("a.jpg");
    temp.file("b.jpg");
    BatchExecutor run = executor();
    run.begin({}, 1);
    run.perform(item("a.jpg", "b.jpg"));
    EXPECT_EQ(run.finish().syncError, 0);
    EXPECT_EQ(fs.calls(FsOp::Sync), 0);

    fs.failAll(FsOp::Sync, EIO);
    run.begin({}, 2);
    EXPECT_EQ(run.perform(item("a.jpg", "c.jpg")).outcome, Outcome::Done);
    EXPECT_EQ(run.perform(item("b.jpg", "d.jpg")).outcome, Outcome::Done);
    const BatchSummary summary = run.finish();
    EXPECT_EQ(summary.done, 2);
    EXPECT_EQ(summary.syncError, EIO);
    EXPECT_EQ(fs.calls(FsOp::Sync), 1);
}

// An observer that stops the batch once told of a group: nothing of it or after it is made.
TEST_F(BatchExecutorTest, AnObserverThatStopsTheBatchKeepsEveryChangeFromTheDisk) {
    struct Stopper : Recorder {
        bool proceed() override { return false; }
    } stopper;
    temp.file("a.jpg");
    temp.file("b.jpg");
    BatchExecutor run = executor(&stopper);
    run.begin({}, 3);
    std::vector<ItemOutcome> outcomes;
    run.perform(std::vector<WorkItem>{item("a.jpg", "x.jpg")}, outcomes);
    EXPECT_TRUE(outcomes.empty());
    EXPECT_TRUE(run.stopped());
    EXPECT_EQ(run.perform(item("b.jpg", "y.jpg")).outcome, Outcome::Refused);
    run.settled(item("c.jpg", "z.jpg"), {});
    EXPECT_EQ(run.finish().done, 0);
    EXPECT_EQ(namesIn(temp.path()), (Names{"a.jpg", "b.jpg"}));
    EXPECT_EQ(stopper.log, (Names{"begins  -> ", "group present", "ends 0 0"}));
    EXPECT_EQ(fs.calls(FsOp::Rename), 0);
}

// The count shows only once the batch has lasted half a second, and goes at its end.
TEST_F(BatchExecutorTest, ProgressShowsOnlyForALongBatch) {
    BatchExecutor run = executor();
    run.begin({}, 3);
    const WorkItem nothing;
    run.settled(nothing, {Outcome::Refused, 0, {}});
    std::this_thread::sleep_for(std::chrono::milliseconds(550));
    run.settled(nothing, {Outcome::Refused, 0, {}});
    run.settled(nothing, {Outcome::Refused, 0, {}});
    run.finish();
    EXPECT_EQ(shown, (Names{"Renommage : 1 / 3", ""}));
}

} // namespace
} // namespace quorvel::test

namespace quorvel::test {
namespace {

// A folder swapped for a link to another folder in the middle of a batch: what is left of
// the batch is made in the folder it began in, never in the other one; the observer learns
// which file took each name.
TEST_F(BatchExecutorTest, AFolderSwappedForALinkMidBatchKeepsItsChangesInThatFolder) {
    temp.folder("Photos");
    temp.folder("Other");
    temp.folder("Backup");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
        temp.file(std::string("Photos/") + name, name);
        temp.file(std::string("Other/") + name, "other");
    }
    Recorder recorder;
    BatchExecutor run = executor(&recorder);
    run.begin({BatchKind::RenameRun, temp / "Photos", temp / "Backup", 0}, 3);
    const std::vector<WorkItem> group{item("Photos/a.jpg", "Photos/A.jpg"),
                                      item("Photos/b.jpg", "Photos/B.jpg"),
                                      item("Photos/c.jpg", "Backup/C.jpg", ChangeKind::Copy)};
    run.announce(group);
    EXPECT_EQ(run.performAnnounced(group[0]).outcome, Outcome::Done);
    ASSERT_EQ(::rename((temp / "Photos").c_str(), (temp / "Moved").c_str()), 0);
    ASSERT_EQ(::symlink((temp / "Other").c_str(), (temp / "Photos").c_str()), 0);
    const ItemOutcome renamed = run.performAnnounced(group[1]);
    const ItemOutcome copied = run.performAnnounced(group[2]);
    run.finish();

    EXPECT_EQ(namesIn(temp / "Other"), (Names{"a.jpg", "b.jpg", "c.jpg"}));
    EXPECT_EQ(namesIn(temp / "Moved"), (Names{"A.jpg", "B.jpg", "c.jpg"}));
    EXPECT_EQ(readFile(temp / "Backup/C.jpg"), "c.jpg");
    struct stat st {};
    ASSERT_EQ(::stat((temp / "Moved/B.jpg").c_str(), &st), 0);
    EXPECT_EQ(renamed.made.inode, st.st_ino);
    ASSERT_EQ(::stat((temp / "Moved/c.jpg").c_str(), &st), 0);
    EXPECT_EQ(copied.source.inode, st.st_ino);
    ASSERT_EQ(::stat((temp / "Backup/C.jpg").c_str(), &st), 0);
    EXPECT_EQ(copied.made.inode, st.st_ino);
    EXPECT_EQ(copied.made.changedNs,
              std::int64_t{st.st_ctim.tv_sec} * 1'000'000'000 + st.st_ctim.tv_nsec);
}

} // namespace
} // namespace quorvel::test
