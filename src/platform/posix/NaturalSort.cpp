#include "platform/posix/PosixInternals.h"
#include "text/NaturalOrder.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace quorvel {

namespace {

// Moves each name to its place, row i naming the index of the name that belongs at i, cycle
// by cycle in place: a million names are not held twice.
template <typename Rows> void placeInOrder(std::vector<std::string>& names, Rows& rows) {
    constexpr std::uint32_t placed = UINT32_MAX;
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (rows[start].index == placed)
            continue;
        std::string held = std::move(names[start]);
        std::size_t at = start;
        while (rows[at].index != start) {
            const std::size_t from = rows[at].index;
            names[at] = std::move(names[from]);
            rows[at].index = placed;
            at = from;
        }
        names[at] = std::move(held);
        rows[at].index = placed;
    }
}

} // namespace

// Sorts names in natural order through precomputed keys kept side by side in one buffer.
// The first 32 bytes of each key, held in the row, settle nearly every comparison: names
// that share a date or a long prefix differ within them.
void sortNaturally(std::vector<std::string>& names) {
    constexpr std::size_t words = 4;
    struct Row {
        std::uint64_t head[words];
        std::size_t offset;
        std::uint32_t length;
        std::uint32_t index;
    };
    std::string keys;
    keys.reserve(names.size() * 32);
    std::vector<Row> rows;
    rows.reserve(names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::size_t offset = keys.size();
        appendNaturalSortKey(keys, names[i]);
        Row row{{},
                offset,
                static_cast<std::uint32_t>(keys.size() - offset),
                static_cast<std::uint32_t>(i)};
        // Big-endian, zero-padded: no key holds a zero byte, so the padding sorts first.
        for (std::size_t k = 0; k < words * 8; ++k) {
            const auto byte = k < row.length ? static_cast<unsigned char>(keys[offset + k]) : 0;
            row.head[k / 8] = (row.head[k / 8] << 8) | byte;
        }
        rows.push_back(row);
    }
    const char* base = keys.data();
    std::sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        for (std::size_t w = 0; w < words; ++w) {
            if (a.head[w] != b.head[w])
                return a.head[w] < b.head[w];
        }
        const int order = std::string_view(base + a.offset, a.length)
                              .compare(std::string_view(base + b.offset, b.length));
        return order != 0 ? order < 0 : names[a.index] < names[b.index];
    });
    keys = std::string();
    placeInOrder(names, rows);
}

} // namespace quorvel
