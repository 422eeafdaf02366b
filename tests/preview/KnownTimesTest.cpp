#include "preview/KnownTimes.h"

#include "testing/MemoryFileSystem.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace quorvel {
namespace {

// A disk that counts how often each path's time is asked; a path's time is its length.
class CountingDisk : public MemoryFileSystem {
public:
    Result<std::int64_t> modificationTime(const std::string& path) override {
        ++asked[path];
        if (path.ends_with("gone.jpg"))
            return SystemError{"statx", ENOENT};
        return static_cast<std::int64_t>(path.size());
    }
    std::map<std::string, int> asked;
};

// A planning walks the files in the list's order, or in their capture order, or again after
// a change of the panel: whatever the order, the disk is asked once a path, a failure too.
TEST(KnownTimesTest, EachPathIsAskedOfTheDiskOnceWhateverTheOrder) {
    CountingDisk disk;
    KnownTimes known(disk);
    std::vector<std::string> paths;
    for (int i = 0; i < 1000; ++i)
        paths.push_back("/photos/IMG_" + std::to_string(i) + ".jpg");
    paths.push_back("/photos/gone.jpg");
    const auto check = [&](std::size_t k) {
        const Result<std::int64_t> time = known.modificationTime(paths[k]);
        if (paths[k].ends_with("gone.jpg"))
            return !time && time.code() == ENOENT;
        return time && time.value() == static_cast<std::int64_t>(paths[k].size());
    };
    int right = 0;
    for (std::size_t k = 0; k < paths.size(); ++k)
        right += check(k) ? 1 : 0;
    for (std::size_t k = paths.size(); k-- > 0;)
        right += check(k) ? 1 : 0;
    for (std::size_t k = 0; k < paths.size(); ++k)
        right += check(k * 7 % paths.size()) ? 1 : 0;
    EXPECT_EQ(right, static_cast<int>(3 * paths.size()));
    EXPECT_EQ(disk.asked.size(), paths.size());
    for (const auto& [path, count] : disk.asked)
        EXPECT_EQ(count, 1) << path;
}

} // namespace
} // namespace quorvel
