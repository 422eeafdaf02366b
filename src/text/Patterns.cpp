#include "text/Patterns.h"

#include "text/Characters.h"

#include <algorithm>

namespace quorvel {

bool globMatches(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*" || pattern == "*")
        return true;
    // Iterative glob with one backtrack point; characters compared folded.
    std::size_t n = 0;
    std::size_t p = 0;
    std::size_t starP = std::string_view::npos;
    std::size_t starN = 0;
    while (n < name.size()) {
        std::size_t ln = 0;
        const char32_t cn = decodeAt(name, n, ln);
        if (p < pattern.size()) {
            std::size_t lp = 0;
            const char32_t cp = decodeAt(pattern, p, lp);
            if (cp == '*') {
                starP = p;
                p += lp;
                starN = n;
                continue;
            }
            if (cp == '?' || foldCase(cp) == foldCase(cn)) {
                p += lp;
                n += ln;
                continue;
            }
        }
        if (starP == std::string_view::npos)
            return false;
        p = starP + 1;
        starN += sequenceLength(name, starN);
        n = starN;
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
    // "*" followed by plain ASCII: no other character folds onto an ASCII one, and an
    // ASCII byte is always a character of its own, so comparing the tail bytes is enough.
    if (pattern.size() > 1 && pattern[0] == '*' && pattern != "*.*") {
        const std::string_view tail = pattern.substr(1);
        const bool plain = std::all_of(tail.begin(), tail.end(), [](char c) {
            return c != '*' && c != '?' && static_cast<unsigned char>(c) < 0x80;
        });
        if (plain) {
            if (name.size() < tail.size())
                return false;
            const std::string_view end = name.substr(name.size() - tail.size());
            for (std::size_t k = 0; k < tail.size(); ++k) {
                char a = end[k];
                char b = tail[k];
                if (a >= 'A' && a <= 'Z')
                    a = static_cast<char>(a + 32);
                if (b >= 'A' && b <= 'Z')
                    b = static_cast<char>(b + 32);
                if (a != b)
                    return false;
            }
            return true;
        }
    }
    return globMatches(name, pattern);
}

} // namespace quorvel
