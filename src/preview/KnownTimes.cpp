#include "preview/KnownTimes.h"

#include <functional>

namespace quorvel {

bool KnownTimes::isAt(std::size_t at, const std::string& path) const {
    const Known& known = known_[at];
    return known.size == path.size() && paths_.compare(known.offset, known.size, path) == 0;
}

Result<std::int64_t> KnownTimes::modificationTime(const std::string& path) {
    if (next_ < known_.size() && isAt(next_, path))
        return known_[next_++].time;
    const std::uint64_t hash = std::hash<std::string>{}(path);
    for (auto [at, end] = index_.equal_range(hash); at != end; ++at) {
        if (isAt(at->second, path)) {
            next_ = at->second + 1;
            return known_[at->second].time;
        }
    }
    known_.push_back({paths_.size(), path.size(), fs_.modificationTime(path)});
    paths_ += path;
    index_.emplace(hash, known_.size() - 1);
    next_ = known_.size();
    return known_.back().time;
}

} // namespace quorvel
