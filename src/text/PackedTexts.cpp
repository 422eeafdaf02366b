#include "text/PackedTexts.h"

#include <algorithm>
#include <stdexcept>

namespace quorvel {

void PackedTexts::add(std::string_view text) {
    if (blocks_.empty() || text.size() > blocks_.back().size - blocks_.back().used) {
        const std::size_t size = std::max(blockSize, text.size());
        blocks_.push_back({std::make_unique_for_overwrite<char[]>(size), 0, size});
    }
    Block& block = blocks_.back();
    std::copy(text.begin(), text.end(), block.bytes.get() + block.used);
    starts_.push_back(
        {static_cast<std::uint32_t>(blocks_.size() - 1), static_cast<std::uint32_t>(block.used)});
    block.used += text.size();
}

std::string_view PackedTexts::at(std::size_t index) const {
    const Start start = starts_.at(index);
    const Block& block = blocks_[start.block];
    const bool nextInBlock = index + 1 < starts_.size() && starts_[index + 1].block == start.block;
    const std::size_t end = nextInBlock ? starts_[index + 1].offset : block.used;
    return {block.bytes.get() + start.offset, end - start.offset};
}

} // namespace quorvel
