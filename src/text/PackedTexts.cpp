#include "text/PackedTexts.h"

#include <algorithm>

namespace quorvel {

void PackedTexts::add(std::string_view text) {
    if (text.size() > room_) {
        const std::size_t size = std::max(blockSize, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(size));
        next_ = blocks_.back().get();
        room_ = size;
    }
    std::copy(text.begin(), text.end(), next_);
    views_.emplace_back(next_, text.size());
    next_ += text.size();
    room_ -= text.size();
}

} // namespace quorvel
