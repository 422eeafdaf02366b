#include "preview/KnownTimes.h"

namespace quorvel {

Result<std::int64_t> KnownTimes::modificationTime(const std::string& path) {
    const auto known = times_.find(path);
    if (known != times_.end())
        return known->second;
    return times_.emplace(path, fs_.modificationTime(path)).first->second;
}

} // namespace quorvel
