#include "text/NaturalOrder.h"

#include "text/Characters.h"

namespace quorvel {

namespace {

bool isDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

} // namespace

void appendNaturalSortKey(std::string& key, std::string_view name) {
    std::size_t i = 0;
    while (i < name.size()) {
        if (isDigit(static_cast<unsigned char>(name[i]))) {
            // A run of digits compares with a letter as any digit does, and with another
            // run by value: its length without leading zeros, then its digits.
            std::size_t end = i;
            while (end < name.size() && isDigit(static_cast<unsigned char>(name[end])))
                ++end;
            std::size_t start = i;
            while (start + 1 < end && name[start] == '0')
                ++start;
            key += '0';
            appendEncoded(key, static_cast<char32_t>(end - start));
            key.append(name.substr(start, end - start));
            i = end;
            continue;
        }
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x80) {
            key += static_cast<char>(byte >= 'A' && byte <= 'Z' ? byte + 32 : byte);
            ++i;
            continue;
        }
        std::size_t length = 0;
        appendBaseLetters(key, decodeAt(name, i, length));
        i += length;
    }
}

std::string naturalSortKey(std::string_view name) {
    std::string key;
    appendNaturalSortKey(key, name);
    return key;
}

bool naturalLess(std::string_view a, std::string_view b) {
    // Kept between calls so that comparing names allocates only for the longest yet.
    thread_local std::string keyA;
    thread_local std::string keyB;
    keyA.clear();
    keyB.clear();
    appendNaturalSortKey(keyA, a);
    appendNaturalSortKey(keyB, b);
    const int order = keyA.compare(keyB);
    return order != 0 ? order < 0 : a < b;
}

} // namespace quorvel
