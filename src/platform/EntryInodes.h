#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace quorvel {

// The inodes that one read of a folder gave for its entries, found by name. Only a hash of
// each name is kept, so that a folder of a million files costs 16 bytes a file: two names
// whose hashes meet are both unknown, and the caller asks the disk for those.
class EntryInodes {
public:
    void add(std::string_view name, std::uint64_t inode) {
        entries_.emplace_back(std::hash<std::string_view>{}(name), inode);
    }
    // Ends the adding; until then nothing is found.
    void seal() {
        std::sort(entries_.begin(), entries_.end());
        std::size_t kept = 0;
        for (std::size_t i = 0; i < entries_.size();) {
            std::size_t end = i + 1;
            while (end < entries_.size() && entries_[end].first == entries_[i].first)
                ++end;
            entries_[kept++] = {entries_[i].first, end - i == 1 ? entries_[i].second : 0};
            i = end;
        }
        entries_.resize(kept);
        sealed_ = true;
    }
    // 0 when the name was not read or is ambiguous.
    std::uint64_t find(std::string_view name) const {
        if (!sealed_)
            return 0;
        const std::pair<std::uint64_t, std::uint64_t> key{std::hash<std::string_view>{}(name), 0};
        const auto found = std::lower_bound(entries_.begin(), entries_.end(), key);
        return found != entries_.end() && found->first == key.first ? found->second : 0;
    }
    bool empty() const { return entries_.empty(); }

private:
    std::vector<std::pair<std::uint64_t, std::uint64_t>> entries_;
    bool sealed_ = false;
};

} // namespace quorvel
