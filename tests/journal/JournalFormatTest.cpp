#include "journal/JournalFormat.h"

#include <gtest/gtest.h>

namespace quorvel::journal {
namespace {

// A finished batch: a rename and a copy whose names are not UTF-8, one of them made, one
// announced twice (the second announcement replacing the first), one undone.
std::string sampleFile(std::size_t* beforeEnd = nullptr) {
    FolderTable folders;
    std::string out = fileStart({BatchKind::CopyToTarget, "/a/\xff", "/b", 1'700'000'000});
    const std::vector<WorkItem> first{{"/a/\xff/x\n.jpg", "/b/y\xfe.jpg", ChangeKind::Copy},
                                      {"/a/\xff/z.jpg", "/b/z.jpg", ChangeKind::Copy}};
    addGroup(out, 0, first, folders);
    const FileIdentity made{7, 42, 1234, 5'000'000'001, 0};
    const std::vector<Mark> marks{{0, true, &made}};
    addMarks(out, marks);
    const std::vector<WorkItem> second{{"/a/\xff/z.jpg", "/b/z (2).jpg", ChangeKind::Rename}};
    addGroup(out, 2, second, folders);
    const std::vector<Mark> more{{2, true, nullptr}};
    addMarks(out, more);
    const std::vector<std::uint32_t> undone{2};
    addUndone(out, undone);
    if (beforeEnd != nullptr)
        *beforeEnd = out.size();
    addEnd(out);
    return out;
}

TEST(JournalFormatTest, ReadsBackEveryRecordWithNamesAsBytes) {
    const ReadResult read = journal::read(sampleFile());
    ASSERT_EQ(read.problem, ReadProblem::None);
    const Batch& batch = read.batch;
    EXPECT_EQ(batch.info.kind, BatchKind::CopyToTarget);
    EXPECT_EQ(batch.info.sourceFolder, "/a/\xff");
    EXPECT_EQ(batch.info.began, 1'700'000'000);
    EXPECT_TRUE(batch.ended);
    ASSERT_EQ(batch.changes.size(), 3u);
    EXPECT_EQ(batch.changes[0].source, "/a/\xff/x\n.jpg");
    EXPECT_EQ(batch.changes[0].target, "/b/y\xfe.jpg");
    EXPECT_EQ(batch.changes[0].state, ChangeState::Done);
    EXPECT_EQ(batch.changes[0].made.inode, 42u);
    EXPECT_EQ(batch.changes[0].made.modifiedNs, 5'000'000'001);
    // Announced, then replaced by a new announcement before it was made.
    EXPECT_EQ(batch.changes[1].state, ChangeState::Void);
    EXPECT_EQ(batch.changes[2].kind, ChangeKind::Rename);
    EXPECT_EQ(batch.changes[2].target, "/b/z (2).jpg");
    EXPECT_EQ(batch.changes[2].state, ChangeState::Undone);
    EXPECT_EQ(batch.doneOrder, (std::vector<std::uint32_t>{0, 2}));
}

// A crash can cut the file anywhere: whatever is left reads without a fault, what was cut
// off is simply missing, and an outcome is never read from a record that is not whole.
TEST(JournalFormatTest, AFileCutAnywhereReadsAsItsWholeRecords) {
    std::size_t beforeEnd = 0;
    const std::string whole = sampleFile(&beforeEnd);
    for (std::size_t cut = 0; cut < whole.size(); ++cut) {
        const ReadResult read = journal::read(std::string_view(whole).substr(0, cut));
        SCOPED_TRACE(cut);
        EXPECT_NE(read.problem, ReadProblem::Damaged);
        EXPECT_FALSE(read.batch.ended);
        EXPECT_LE(read.batch.changes.size(), 3u);
        if (cut >= beforeEnd) {
            EXPECT_EQ(read.batch.changes[2].state, ChangeState::Undone);
        }
    }
    // Cut before its header: a batch killed before its first record.
    EXPECT_EQ(journal::read(std::string_view(whole).substr(0, 10)).problem, ReadProblem::Empty);
}

TEST(JournalFormatTest, DamageBeforeTheEndIsReportedAndWhatFollowsIsNotRead) {
    std::string damaged = sampleFile();
    const std::string start = fileStart({BatchKind::CopyToTarget, "/a/\xff", "/b", 1'700'000'000});
    // A byte of the first group's names.
    damaged[start.size() + 20] ^= 0x40;
    const ReadResult read = journal::read(damaged);
    EXPECT_EQ(read.problem, ReadProblem::Damaged);
    EXPECT_TRUE(read.batch.changes.empty());
    EXPECT_FALSE(read.batch.ended);

    EXPECT_EQ(journal::read("not a journal at all").problem, ReadProblem::NotAJournal);
    std::string badHeader = sampleFile();
    badHeader[12] ^= 1;
    EXPECT_EQ(journal::read(badHeader).problem, ReadProblem::NotAJournal);
}

} // namespace
} // namespace quorvel::journal
