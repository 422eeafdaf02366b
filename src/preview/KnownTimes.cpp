#include "preview/KnownTimes.h"

#include <functional>

namespace quorvel {

Result<std::int64_t> KnownTimes::modificationTime(const std::string& path) {
    if (next_ < times_.size() && paths_.at(next_) == path)
        return times_[next_++];
    const std::uint64_t hash = std::hash<std::string>{}(path);
    for (auto [at, end] = index_.equal_range(hash); at != end; ++at) {
        if (paths_.at(at->second) == path) {
            next_ = at->second + 1;
            return times_[at->second];
        }
    }
    times_.push_back(fs_.modificationTime(path));
    paths_.add(path);
    index_.emplace(hash, times_.size() - 1);
    next_ = times_.size();
    return times_.back();
}

} // namespace quorvel
