#pragma once

#include "platform/Clock.h"
#include "platform/Pictures.h"

#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <optional>
#include <string>

namespace quorvel::bench {

// The benchmarks time what the program does with files, never with pictures.
class NoPictures : public Pictures {
public:
    std::optional<PictureSize> naturalSize(const std::string&) override { return std::nullopt; }
    LoadedPicture load(const std::string&, const std::function<PictureSize(const PictureSize&)>&,
                       std::stop_token) override {
        return {};
    }
};

// A clock that stands still, so that every round names its files alike.
class FixedClock : public Clock {
public:
    explicit FixedClock(std::time_t at) : at_(at) {}
    std::time_t now() override { return at_; }

private:
    std::time_t at_;
};

// The count of files the first argument asks for: a number, or "--million" for the case that
// takes minutes to set up.
inline int fileCount(int argc, char** argv, int fallback) {
    if (argc < 2)
        return fallback;
    return std::string(argv[1]) == "--million" ? 1000000 : std::atoi(argv[1]);
}

// A fresh folder of the benchmark's own under /tmp.
inline std::string freshRoot() {
    char pattern[] = "/tmp/quorvel-bench-XXXXXX";
    const char* root = ::mkdtemp(pattern);
    return root == nullptr ? std::string() : std::string(root);
}

// One bare pass over a folder's entries: what any listing of it costs at least.
inline std::size_t bareDirectoryPass(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    std::size_t count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count;
}

} // namespace quorvel::bench
