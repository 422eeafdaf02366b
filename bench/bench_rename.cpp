// The whole "Renommer !" run through the window model, against bare loops of the system
// calls that the run cannot do without, on the same number of files in the same file system.

#include "Doubles.h"
#include "Timing.h"
#include "app/MainWindow.h"
#include "journal/Journal.h"
#include "platform/posix/PosixFileSystem.h"
#include "platform/posix/PosixJournalFiles.h"
#include "platform/posix/TestHooks.h"
#include "rename/NameComposer.h"
#include "testing/MemorySettingsStore.h"
#include "testing/RecordingShell.h"
#include "testing/ScriptedToolkit.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace quorvel;
using bench::FixedClock;
using bench::NoPictures;
using Seconds = std::chrono::duration<double>;

const std::string content(200, 'p');

void fail(const std::string& what) {
    std::fprintf(stderr, "bench_rename: %s: %s\n", what.c_str(), std::strerror(errno));
    std::exit(1);
}

std::string fileName(int i) {
    char name[32];
    std::snprintf(name, sizeof name, "IMG_%06d.jpg", i);
    return name;
}

// A folder of `count` small jpg files with distinct modification times.
void fill(const std::string& folder, int count) {
    if (::mkdir(folder.c_str(), 0755) != 0)
        fail("mkdir " + folder);
    for (int i = 0; i < count; ++i) {
        const std::string path = folder + "/" + fileName(i);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 ||
            ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
            fail("create " + path);
        const timespec times[2] = {{1168867805 + i, 0}, {1168867805 + i, 0}};
        ::futimens(fd, times);
        ::close(fd);
    }
    // Photographs are on disk long before a run: the run's sync must not write them too.
    ::sync();
}

void removeTree(const std::string& path) {
    ::nftw(
        path.c_str(),
        [](const char* entry, const struct stat*, int, FTW*) { return ::remove(entry); }, 64,
        FTW_DEPTH | FTW_PHYS);
}

// Every round works in folders of its own, and nothing is deleted before the end: ext4
// without a journal passes over inodes freed within the last half minute when it allocates
// new ones, so files created after a large delete come slowly, and whichever side of a
// comparison came after the delete would pay for it.
std::string freshFolder(const std::string& root, const char* what) {
    static int made = 0;
    return root + "/" + what + "-" + std::to_string(++made);
}

double seconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return Seconds(std::chrono::steady_clock::now() - start).count();
}

std::string newName(int i) {
    char name[48];
    std::snprintf(name, sizeof name, "%05d_Vacances.jpg", 1 + i);
    return name;
}

// The names the run gives under a scheme, so that the baseline makes the very same renames.
std::vector<std::string> schemeNames(int count, int scheme) {
    std::vector<std::string> names;
    names.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        names.push_back(scheme == 3 ? NameComposer::timeStamp(1168867805 + i) + ".jpg"
                                    : NameComposer::numberText(1 + i, 4) + "_Vacances.jpg");
    }
    return names;
}

// With readTimes, each file's modification time is read before its rename, as a time
// stamp scheme must: the floor below which no such run can go.
double bareRenames(const std::string& folder, int count, int scheme, bool readTimes = false) {
    const std::vector<std::string> names = schemeNames(count, scheme);
    return seconds([&] {
        for (int i = 0; i < count; ++i) {
            const std::string from = folder + "/" + fileName(i);
            struct stat st {};
            if (readTimes && ::stat(from.c_str(), &st) != 0)
                fail("stat " + from);
            const std::string to = folder + "/" + names[static_cast<std::size_t>(i)];
            if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0)
                fail("renameat2");
        }
    });
}

// durable: ends with one sync of the target's file system, as a batch must.
double bareCopies(const std::string& from, const std::string& to, int count, bool durable = false) {
    return seconds([&] {
        for (int i = 0; i < count; ++i) {
            const std::string source = from + "/" + fileName(i);
            const std::string target = to + "/" + newName(i);
            const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
            struct stat st {};
            if (in < 0 || ::fstat(in, &st) != 0)
                fail("open " + source);
            const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (out < 0)
                fail("open " + target);
            off_t left = st.st_size;
            while (left > 0) {
                const ssize_t done =
                    ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(left), 0);
                if (done <= 0)
                    fail("copy_file_range");
                left -= done;
            }
            const timespec times[2] = {st.st_atim, st.st_mtim};
            ::futimens(out, times);
            ::close(out);
            ::close(in);
        }
        if (durable) {
            const int folder = ::open(to.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (folder < 0 || ::syncfs(folder) != 0)
                fail("syncfs " + to);
            ::close(folder);
        }
    });
}

// The real file system, with the sync that ends every batch on or off.
class BenchFileSystem : public PosixFileSystem {
public:
    explicit BenchFileSystem(bool sync) : sync_(sync) {
        // Nor are copies written out while the batch goes on.
        if (!sync)
            setStepHook(*this, [](PosixStep step, const std::string&, const std::string&) {
                return step == PosixStep::Sync ? ECANCELED : 0;
            });
    }
    Result<void> syncFileSystem(const std::string& folder) override {
        return sync_ ? PosixFileSystem::syncFileSystem(folder) : Result<void>();
    }

private:
    bool sync_;
};

// The batch on a thread of its own, as the program runs it; the window's tasks run in line,
// since no window handles events meanwhile.
class ThreadedToolkit : public ScriptedToolkit {
public:
    void runBatch(std::function<void()> work, std::function<void()> done) override {
        std::thread(std::move(work)).join();
        done();
    }
};

// A started main window on `source` (and `target`) with the given naming scheme; only the
// click on "Renommer !" is timed. The numbers of a run stop at 32767, so the large runs
// name their files by time stamp (scheme 3), which also reads each file's time.
struct Program {
    ThreadedToolkit toolkit;
    BenchFileSystem fs{true};
    MemorySettingsStore settings;
    NoPictures pictures;
    RecordingShell shell;
    FixedClock clock{1168867805};
    PosixJournalFiles journalFiles;
    std::unique_ptr<Journal> journal;
    std::unique_ptr<MainWindow> window;

    // With a state folder, the run records its batch for undo as the program does.
    Program(const std::string& source, const std::string& target, int scheme, bool sync = true,
            const std::string& state = {})
        : fs(sync) {
        if (!state.empty())
            journal = std::make_unique<Journal>(journalFiles, state + "/quorvel");
        settings.seed("quorvel", "Data", "Dir", source);
        settings.seed("quorvel", "Data", "drv", source);
        settings.seed("quorvel", "Data", "T1", "_Vacances");
        window = std::make_unique<MainWindow>(
            Services{toolkit, fs, settings, pictures, shell, clock, {source, "quorvel"}}, toolkit,
            journal.get());
        window->startUp();
        if (window->sourceFiles.path() != source)
            throw std::runtime_error("the source folder did not open");
        window->genericName.setText("_Vacances");
        window->startIndex.setText("1");
        window->schemeOptions[static_cast<std::size_t>(scheme)]->click();
        if (target != source && window->targetFolders.setPath(target) != 0)
            throw std::runtime_error("the target folder did not open");
    }

    double run(const std::string& expected) {
        toolkit.clearEvents();
        const double time = seconds([&] { window->renameButton.click(); });
        if (toolkit.events().empty() || toolkit.events().back().text != expected)
            throw std::runtime_error("unexpected result: " + (toolkit.events().empty()
                                                                  ? "none"
                                                                  : toolkit.events().back().text));
        return time;
    }
};

std::string result(int renamed, int listed) {
    return std::to_string(renamed) + " fichiers ont été renommés sur les " +
           std::to_string(listed) + " présents.";
}

void print(const char* what, int count, double run, double baseline, double goal, bool strict) {
    std::printf("%s, %d files: %.3f s vs baseline %.3f s, ratio %.2f (goal %s %.1f)\n", what, count,
                run, baseline, run / baseline, strict ? "<" : "<=", goal);
}

// Each figure is the best of `rounds` rounds, the baseline and the run taking turns, so
// that the other work of the machine weighs on both alike.
struct Best {
    double baseline = 1e9;
    double run = 1e9;
    void take(double b, double r) {
        baseline = std::min(baseline, b);
        run = std::min(run, r);
    }
};

// Runs the measures of one round, each round starting with the next of them: the writeback
// of what earlier measures wrote then weighs on all of them alike.
void inTurn(std::vector<std::function<void()>>& measures, int round) {
    std::rotate(measures.begin(),
                measures.begin() +
                    static_cast<std::ptrdiff_t>(static_cast<std::size_t>(round) % measures.size()),
                measures.end());
    for (const auto& measure : measures)
        measure();
}

double inPlace(const std::string& root, int count, int rounds, int scheme) {
    Best best;
    double floor = 1e9;
    double journaled = 1e9;
    for (int round = 0; round < rounds; ++round) {
        double baseline = 0;
        double run = 0;
        // Each measure right after writing its own folder.
        std::vector<std::function<void()>> measures = {
            [&] {
                const std::string base = freshFolder(root, "base");
                fill(base, count);
                baseline = bareRenames(base, count, scheme);
            },
            [&] {
                const std::string folder = freshFolder(root, "inplace");
                fill(folder, count);
                Program program(folder, folder, scheme);
                run = program.run(result(count, count));
            },
            [&] {
                const std::string folder = freshFolder(root, "journaled");
                fill(folder, count);
                Program program(folder, folder, scheme, true, freshFolder(root, "state"));
                journaled = std::min(journaled, program.run(result(count, count)));
            }};
        if (scheme == 3) {
            measures.push_back([&] {
                const std::string bare = freshFolder(root, "floor");
                fill(bare, count);
                floor = std::min(floor, bareRenames(bare, count, scheme, true));
            });
        }
        inTurn(measures, round);
        best.take(baseline, run);
    }
    print(scheme == 3 ? "in place, time stamps" : "in place, numbers", count, best.run,
          best.baseline, 1.3, false);
    std::printf("    with the undo journal: %.3f s, ratio %.2f (goal <= 1.3)\n", journaled,
                journaled / best.baseline);
    if (scheme == 3)
        std::printf("    (a bare loop that also reads each file's time: %.3f s, ratio %.2f)\n",
                    floor, best.run / floor);
    return best.run;
}

double copyRun(const std::string& source, const std::string& target, int count, bool sync) {
    Program program(source, target, 3, sync);
    return program.run(result(count, count));
}

// With compareSync, also the run without its final sync, so that the sync's own cost shows,
// and the bare loop followed by one sync, the least a durable copy costs.
void intoAnother(const std::string& root, int count, int rounds, bool compareSync) {
    Best best;
    double unsynced = 1e9;
    double durable = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const std::string source = freshFolder(root, "src");
        fill(source, count);
        double baseline = 0;
        double run = 0;
        std::vector<std::function<void()>> measures = {
            [&] {
                const std::string base = freshFolder(root, "basecopy");
                if (::mkdir(base.c_str(), 0755) != 0)
                    fail("mkdir");
                baseline = bareCopies(source, base, count);
                // What it left unwritten must not weigh on the next measure's sync.
                ::sync();
            },
            [&] {
                const std::string target = freshFolder(root, "tri");
                if (::mkdir(target.c_str(), 0755) != 0)
                    fail("mkdir");
                run = copyRun(source, target, count, true);
            }};
        if (compareSync) {
            measures.push_back([&] {
                const std::string target = freshFolder(root, "trinosync");
                if (::mkdir(target.c_str(), 0755) != 0)
                    fail("mkdir");
                unsynced = std::min(unsynced, copyRun(source, target, count, false));
                ::sync();
            });
            measures.push_back([&] {
                const std::string base = freshFolder(root, "durable");
                if (::mkdir(base.c_str(), 0755) != 0)
                    fail("mkdir");
                durable = std::min(durable, bareCopies(source, base, count, true));
            });
        }
        inTurn(measures, round);
        best.take(baseline, run);
    }
    print("into another folder, time stamps", count, best.run, best.baseline, 1.5, false);
    if (compareSync)
        std::printf("    (the same run without its final sync: %.3f s, ratio %.2f; the sync costs "
                    "%.2f of it)\n",
                    unsynced, unsynced / best.baseline, best.run / unsynced);
    if (compareSync)
        std::printf("    (the bare loop with one sync at its end: %.3f s, ratio %.2f; the run "
                    "against it: %.2f)\n",
                    durable, durable / best.baseline, best.run / durable);
}

void allCollide(const std::string& root, int count, int rounds) {
    Best best;
    for (int round = 0; round < rounds; ++round) {
        const std::string base = freshFolder(root, "basecollide");
        const std::string folder = freshFolder(root, "collide");
        fill(base, count);
        const double baseline = bareRenames(base, count, 0);
        // The first name the run offers is taken, and the number never advances.
        fill(folder, count - 1);
        const int fd =
            ::open((folder + "/0001_Vacances.jpg").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0)
            fail("create");
        ::close(fd);
        double run = 0;
        {
            Program program(folder, folder, 0);
            MainWindow& w = *program.window;
            w.digitOptions[2]->click();
            program.toolkit.pump = [&w] {
                w.noWarningBox.click();
                w.problemOk.click();
                return true;
            };
            run = program.run(result(0, count));
        }
        best.take(baseline, run);
    }
    print("all colliding, Check1 ticked", count, best.run, best.baseline, 1.0, true);
}

} // namespace

// Every other name the run gives is already taken on the disk but not listed (created after
// the list was read), with the undo journal: each such file is a surprise to the walk.
void takenBehindTheList(const std::string& root, int count, int rounds) {
    Best best;
    const std::vector<std::string> names = schemeNames(count, 3);
    for (int round = 0; round < rounds; ++round) {
        const std::string base = freshFolder(root, "basebehind");
        fill(base, count);
        const double baseline = bareRenames(base, count, 3, true);
        const std::string folder = freshFolder(root, "behind");
        fill(folder, count);
        Program program(folder, folder, 3, true, freshFolder(root, "state"));
        program.window->noWarningBox.click();
        for (int i = 1; i < count; i += 2) {
            const int fd = ::open((folder + "/" + names[static_cast<std::size_t>(i)]).c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd < 0)
                fail("create");
            ::close(fd);
        }
        best.take(baseline, program.run(result(count / 2, count)));
    }
    std::printf("names taken behind the list, every other file, with the undo journal, %d files: "
                "%.3f s vs baseline %.3f s, ratio %.2f\n",
                count, best.run, best.baseline, best.run / best.baseline);
}

// What any program must do to name a folder's files by their times, written in C: one pass
// over the folder, a sort, and for each file a read of its time and a rename, all relative
// to the folder; then one sync.
double cFloor(const std::string& folder, int count) {
    const std::vector<std::string> names = schemeNames(count, 3);
    return seconds([&] {
        std::vector<std::string> found;
        DIR* dir = ::opendir(folder.c_str());
        if (dir == nullptr)
            fail("opendir " + folder);
        while (const dirent* entry = ::readdir(dir))
            if (entry->d_name[0] != '.')
                found.emplace_back(entry->d_name);
        std::sort(found.begin(), found.end());
        const int fd = ::dirfd(dir);
        for (std::size_t i = 0; i < found.size(); ++i) {
            struct stat st {};
            if (::fstatat(fd, found[i].c_str(), &st, 0) != 0 ||
                ::renameat2(fd, found[i].c_str(), fd, names[i].c_str(), RENAME_NOREPLACE) != 0)
                fail("rename " + found[i]);
        }
        if (::syncfs(fd) != 0)
            fail("syncfs");
        ::closedir(dir);
    });
}

// A million files renamed in place by time stamps with the undo journal, against the C
// floor, with the peak memory of the whole run (the folder's opening included).
void aMillion(const std::string& root) {
    constexpr int count = 1000000;
    const std::string base = freshFolder(root, "floor");
    fill(base, count);
    const double floor = cFloor(base, count);
    const std::string folder = freshFolder(root, "million");
    fill(folder, count);
    bench::forgetPeak();
    double run = 0;
    {
        Program program(folder, folder, 3, true, freshFolder(root, "state"));
        run = program.run(result(count, count));
    }
    std::printf("a million files in place, time stamps, with the undo journal: %.2f s vs the C "
                "floor %.2f s, ratio %.2f (goal <= 1.3); peak memory %.0f MB (goal <= 200)\n",
                run, floor, run / floor, bench::peakMegabytes());
}

int main(int argc, char** argv) {
    // Rounds for 10 000 files; the 100 000-file figures take one round unless told, and
    // none when told 0. A third argument, "in-place", measures the runs in place alone;
    // "--million" alone measures a run over a million files, which takes minutes.
    const bool million = argc > 1 && std::string(argv[1]) == "--million";
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const int largeRounds = argc > 2 ? std::max(0, std::atoi(argv[2])) : 1;
    const bool inPlaceOnly = argc > 3 && std::string(argv[3]) == "in-place";
    char pattern[] = "/tmp/quorvel-bench-XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        fail("mkdtemp");
    const std::string root = pattern;
    try {
        if (million) {
            aMillion(root);
            removeTree(root);
            return 0;
        }
        inPlace(root, 10000, rounds, 0);
        const double small = inPlace(root, 10000, rounds, 3);
        if (largeRounds > 0) {
            const double large = inPlace(root, 100000, largeRounds, 3);
            std::printf(
                "growth in place, 10000 -> 100000 files: %.3f s -> %.3f s, %.1fx (goal <= 12x)\n",
                small, large, large / small);
        }
        if (!inPlaceOnly) {
            intoAnother(root, 10000, rounds, true);
            if (largeRounds > 0)
                intoAnother(root, 100000, largeRounds, false);
            allCollide(root, 10000, rounds);
            takenBehindTheList(root, 10000, rounds);
        }
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_rename: %s\n", error.what());
        removeTree(root);
        return 1;
    }
    removeTree(root);
    return 0;
}
