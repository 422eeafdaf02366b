#include "preview/KnownTimes.h"

#include <algorithm>
#include <functional>

namespace quorvel {

std::size_t KnownTimes::slotOf(std::string_view path, bool& found) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = std::hash<std::string_view>{}(path)&mask;; at = (at + 1) & mask) {
        const std::uint32_t slot = slots_[at];
        if (slot == 0 || paths_.at(slot - 1) == path) {
            found = slot != 0;
            return at;
        }
    }
}

void KnownTimes::grow() {
    std::vector<std::uint32_t> fresh(std::max<std::size_t>(slots_.size() * 2, 64), 0);
    slots_.swap(fresh);
    for (std::size_t k = 0; k < times_.size(); ++k) {
        bool found = false;
        slots_[slotOf(paths_.at(k), found)] = static_cast<std::uint32_t>(k + 1);
    }
}

Result<std::int64_t> KnownTimes::modificationTime(const std::string& path) {
    if (next_ < times_.size() && paths_.at(next_) == path)
        return times_[next_++];
    if ((times_.size() + 1) * 2 > slots_.size())
        grow();
    bool found = false;
    const std::size_t at = slotOf(path, found);
    if (found) {
        next_ = slots_[at];
        return times_[next_ - 1];
    }
    times_.push_back(fs_.modificationTime(path));
    paths_.add(path);
    slots_[at] = static_cast<std::uint32_t>(times_.size());
    next_ = times_.size();
    return times_.back();
}

} // namespace quorvel
