#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace quorvel {

// Texts one after the other in large blocks, each seen through a view: a million of them
// cost their bytes and a view apiece, not a string with an allocation of its own each, and
// growing never moves a text. A block never moves, so the views stay good when the whole
// is moved.
class PackedTexts {
public:
    PackedTexts() = default;
    PackedTexts(PackedTexts&&) noexcept = default;
    PackedTexts& operator=(PackedTexts&&) noexcept = default;
    PackedTexts(const PackedTexts&) = delete;
    PackedTexts& operator=(const PackedTexts&) = delete;
    ~PackedTexts() = default;

    void reserve(std::size_t count) { views_.reserve(count); }
    void add(std::string_view text);
    std::size_t size() const { return views_.size(); }
    std::string_view at(std::size_t index) const { return views_.at(index); }

private:
    static constexpr std::size_t blockSize = std::size_t{1} << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr; // where the last block's room begins
    std::size_t room_ = 0;
    std::vector<std::string_view> views_;
};

} // namespace quorvel
