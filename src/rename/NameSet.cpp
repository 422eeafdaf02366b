#include "rename/NameSet.h"

#include <algorithm>
#include <functional>

namespace quorvel {

namespace {

std::uint64_t hashOf(std::string_view name) {
    return std::hash<std::string_view>{}(name);
}

std::uint32_t tagOf(std::uint64_t hash) {
    return static_cast<std::uint32_t>(hash >> 32);
}

} // namespace

void NameSet::assign(const std::vector<std::string>& names) {
    chars_.clear();
    names_.clear();
    slots_.clear();
    live_ = 0;
    erased_ = 0;
    std::size_t total = 0;
    for (const std::string& name : names)
        total += name.size();
    chars_.reserve(total);
    names_.reserve(names.size());
    growFor(names.size());
    for (const std::string& name : names)
        insert(name);
}

std::string_view NameSet::nameAt(std::uint32_t mark) const {
    const Name& name = names_[mark - 2];
    return std::string_view(chars_).substr(name.offset, name.length);
}

std::size_t NameSet::find(std::string_view name, std::uint64_t hash, bool& found) const {
    const std::size_t mask = slots_.size() - 1;
    const std::uint32_t tag = tagOf(hash);
    std::size_t reuse = slots_.size();
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = slots_[at];
        if (slot.name == empty) {
            found = false;
            return reuse != slots_.size() ? reuse : at;
        }
        if (slot.name == erased) {
            if (reuse == slots_.size())
                reuse = at;
        } else if (slot.tag == tag && names_[slot.name - 2].live && nameAt(slot.name) == name) {
            found = true;
            return at;
        }
    }
}

// The bits come from the tag, the slots from the low bits: a name whose slot is crowded
// still has its own bit.
bool NameSet::maybeSeen(std::uint64_t hash) const {
    const std::size_t bit = tagOf(hash) & (seen_.size() * 64 - 1);
    return (seen_[bit / 64] >> (bit % 64) & 1) != 0;
}

void NameSet::markSeen(std::uint64_t hash) {
    const std::size_t bit = tagOf(hash) & (seen_.size() * 64 - 1);
    seen_[bit / 64] |= std::uint64_t{1} << (bit % 64);
}

bool NameSet::contains(std::string_view name) const {
    if (live_ == 0)
        return false;
    const std::uint64_t hash = hashOf(name);
    if (!maybeSeen(hash)) {
        // The name is likely to be inserted next, after a rename: its slot is fetched
        // meanwhile.
        __builtin_prefetch(&slots_[hash & (slots_.size() - 1)]);
        return false;
    }
    bool found = false;
    find(name, hash, found);
    return found;
}

void NameSet::insert(std::string_view name) {
    growFor(1);
    const std::uint64_t hash = hashOf(name);
    bool found = false;
    Slot& slot = slots_[find(name, hash, found)];
    if (found)
        return;
    if (slot.name == erased)
        --erased_;
    names_.push_back({chars_.size(), static_cast<std::uint32_t>(name.size()), true});
    chars_.append(name);
    slot.tag = tagOf(hash);
    slot.name = static_cast<std::uint32_t>(names_.size() + 1);
    markSeen(hash);
    ++live_;
}

void NameSet::erase(std::string_view name) {
    const std::uint64_t hash = hashOf(name);
    if (live_ == 0 || !maybeSeen(hash))
        return;
    bool found = false;
    Slot& slot = slots_[find(name, hash, found)];
    if (!found)
        return;
    // The name's characters stay behind until the next assign: a run erases at most as
    // many names as it inserts.
    names_[slot.name - 2].live = false;
    slot.name = erased;
    --live_;
    ++erased_;
}

void NameSet::erase(std::string_view name, std::size_t position) {
    if (position < names_.size() && names_[position].live &&
        nameAt(static_cast<std::uint32_t>(position + 2)) == name) {
        names_[position].live = false;
        --live_;
        ++erased_;
        return;
    }
    erase(name);
}

// Keeps at least half the slots empty, so that every probe ends soon.
void NameSet::growFor(std::size_t more) {
    if ((live_ + erased_ + more) * 2 <= slots_.size())
        return;
    std::size_t size = 16;
    while (size < (live_ + more) * 4)
        size *= 2;
    slots_.assign(size, Slot{});
    seen_.assign(std::max<std::size_t>(size / 64, 1), 0);
    erased_ = 0;
    const std::size_t mask = size - 1;
    for (std::size_t k = 0; k < names_.size(); ++k) {
        if (!names_[k].live)
            continue;
        const auto mark = static_cast<std::uint32_t>(k + 2);
        const std::uint64_t hash = hashOf(nameAt(mark));
        std::size_t at = hash & mask;
        while (slots_[at].name != empty)
            at = (at + 1) & mask;
        slots_[at] = {tagOf(hash), mark};
        markSeen(hash);
    }
}

} // namespace quorvel
