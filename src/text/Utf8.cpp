#include "text/Utf8.h"

#include "text/Characters.h"

namespace quorvel {

std::size_t utf8Length(std::string_view text) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); i += sequenceLength(text, i))
        ++count;
    return count;
}

std::string utf8Left(std::string_view text, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < text.size(); ++n)
        i += sequenceLength(text, i);
    return std::string(text.substr(0, i));
}

std::string utf8Right(std::string_view text, std::size_t count) {
    const std::size_t length = utf8Length(text);
    if (count >= length)
        return std::string(text);
    std::size_t i = 0;
    for (std::size_t n = 0; n < length - count; ++n)
        i += sequenceLength(text, i);
    return std::string(text.substr(i));
}

std::string utf8ElideMiddle(std::string_view text, std::size_t limit) {
    if (limit < 3 || utf8Length(text) <= limit)
        return std::string(text);
    const std::size_t head = (limit - 1) / 2;
    return utf8Left(text, head) + "…" + utf8Right(text, limit - 1 - head);
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t la = 0;
        std::size_t lb = 0;
        if (foldCase(decodeAt(a, i, la)) != foldCase(decodeAt(b, j, lb)))
            return false;
        i += la;
        j += lb;
    }
    return i == a.size() && j == b.size();
}

} // namespace quorvel
