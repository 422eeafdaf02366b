// Reading a run's journal at start-up. A run that meets many surprises announces its files
// in many small groups; reading them should cost what reading the same changes announced
// at once costs. Prints the ratio of many groups to one, for as many changes.
#include "Timing.h"
#include "journal/JournalFormat.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace quorvel;

namespace {

std::vector<WorkItem> items(std::size_t first, std::size_t count) {
    std::vector<WorkItem> made;
    for (std::size_t i = first; i < first + count; ++i)
        made.push_back({"/photos/IMG_" + std::to_string(i) + ".jpg",
                        "/photos/2007_01_15_" + std::to_string(i) + ".jpg", ChangeKind::Rename});
    return made;
}

// `changes` changes announced `perGroup` at a time, each group followed by its outcomes.
std::string journalOf(std::size_t changes, std::size_t perGroup) {
    std::string out = journal::fileStart({BatchKind::RenameRun, "/photos", "/photos", 0});
    journal::FolderTable folders;
    for (std::size_t first = 0; first < changes; first += perGroup) {
        journal::addGroup(out, static_cast<std::uint32_t>(first), items(first, perGroup), folders);
        const std::vector<journal::Mark> marks{{static_cast<std::uint32_t>(first), true, nullptr}};
        journal::addMarks(out, marks);
    }
    journal::addEnd(out);
    return out;
}

} // namespace

int main(int argc, char** argv) {
    const std::size_t changes = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100'000;
    const std::string once = journalOf(changes, changes);
    const std::string many = journalOf(changes, 2);
    std::size_t read = 0;
    const double baseline =
        bench::best(3, [&] { read += journal::read(once).batch.changes.size(); });
    const double groups = bench::best(3, [&] { read += journal::read(many).batch.changes.size(); });
    std::printf("%zu changes read: %.4f s in one group, %.4f s in groups of 2, ratio %.2f (%zu)\n",
                changes, baseline, groups, groups / baseline, read);
    return 0;
}
