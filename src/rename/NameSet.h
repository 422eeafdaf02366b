#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The names of a folder list while a run renames into it, checked once for every file.
// In a folder of 100 000 names most checks miss. A bit per hash, in a table small enough
// to stay in the cache, answers most misses; open addressing on stored hashes answers the
// rest from one slot without comparing a single name, and a name costs no allocation.
class NameSet {
public:
    void assign(const std::vector<std::string>& names);
    bool contains(std::string_view name) const;
    void insert(std::string_view name);
    void erase(std::string_view name);
    // The same, told where the name stood in the list given to assign: found there, it goes
    // without a look at the slots. A run walks its folder list in order, so that costs
    // nothing, where a look at the slots misses the cache.
    void erase(std::string_view name, std::size_t position);
    std::size_t size() const { return live_; }

private:
    static constexpr std::uint32_t empty = 0;
    static constexpr std::uint32_t erased = 1;
    struct Slot {
        std::uint32_t tag = 0; // high bits of the hash
        // The index in names_ plus 2, or one of the two marks above. A slot whose name was
        // erased by position keeps pointing at it until the slots are rebuilt.
        std::uint32_t name = 0;
    };
    // Sixteen bytes: a run over a million files keeps two million of them. The hash is
    // worked out again on the rare rebuild of the slots.
    struct Name {
        std::size_t offset;
        std::uint32_t length;
        bool live;
    };

    std::string_view nameAt(std::uint32_t mark) const;
    // The slot holding name, or the slot where it would go.
    std::size_t find(std::string_view name, std::uint64_t hash, bool& found) const;
    void growFor(std::size_t more);
    bool maybeSeen(std::uint64_t hash) const;
    void markSeen(std::uint64_t hash);

    std::string chars_;
    std::vector<Name> names_;
    std::vector<Slot> slots_;
    // A bit set for every name inserted since the slots were built; erased ones keep theirs.
    std::vector<std::uint64_t> seen_;
    std::size_t live_ = 0;
    std::size_t erased_ = 0;
};

} // namespace quorvel
