#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvel {

// Texts one after the other in large blocks: a million of them cost their bytes and eight
// bytes apiece (where the text begins), not a string with an allocation of its own each.
// A text ends where the next one begins, or where its block's texts end. Growing never moves
// a text, and a block never moves, so a view handed out stays good when the whole is moved.
class PackedTexts {
public:
    PackedTexts() = default;
    PackedTexts(PackedTexts&&) noexcept = default;
    PackedTexts& operator=(PackedTexts&&) noexcept = default;
    PackedTexts(const PackedTexts&) = delete;
    PackedTexts& operator=(const PackedTexts&) = delete;
    ~PackedTexts() = default;

    void reserve(std::size_t count) { starts_.reserve(count); }
    void add(std::string_view text);
    std::size_t size() const { return starts_.size(); }
    // Throws std::out_of_range past the end.
    std::string_view at(std::size_t index) const;

private:
    struct Start {
        std::uint32_t block;
        std::uint32_t offset;
    };
    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t used = 0;
        std::size_t size = 0;
    };
    static constexpr std::size_t blockSize = std::size_t{1} << 20;
    std::vector<Block> blocks_;
    std::vector<Start> starts_;
};

} // namespace quorvel
