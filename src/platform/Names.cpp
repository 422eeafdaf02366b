#include "platform/Names.h"

#include <algorithm>
#include <cstdint>

namespace quorvel {

namespace {

// Length of the UTF-8 sequence that starts at text[i], 1 for a stray byte.
std::size_t sequenceLength(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length == 1 || i + length > text.size())
        return 1;
    for (std::size_t k = 1; k < length; ++k) {
        if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
            return 1;
    }
    return length;
}

// Decodes the character at text[i]; a stray byte decodes as itself.
char32_t decodeAt(std::string_view text, std::size_t i, std::size_t& length) {
    length = sequenceLength(text, i);
    const auto lead = static_cast<unsigned char>(text[i]);
    if (length == 1)
        return lead < 0x80 ? lead : 0xDC00 + lead; // never equal to a real letter
    char32_t c = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k)
        c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    return c;
}

// Lower case for ASCII, Latin-1, Latin Extended-A and Greek/Cyrillic basics: the letters
// that show up in photograph names.
char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (c >= 0x100 && c <= 0x17F) {
        if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
            return (c % 2 == 1) ? c + 1 : c;
        if (c == 0x178)
            return 0xFF;
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F)
            return c;
        return (c % 2 == 0) ? c + 1 : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

bool isDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

// UTF-8 keeps the order of code points, and no encoding is the prefix of another, so that
// byte order on the encoded tokens is their order.
void appendEncoded(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
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
        appendEncoded(key, foldCase(decodeAt(name, i, length)));
        i += length;
    }
}

std::string naturalSortKey(std::string_view name) {
    std::string key;
    appendNaturalSortKey(key, name);
    return key;
}

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

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        std::size_t la = 0;
        std::size_t lb = 0;
        const char32_t ca = decodeAt(a, i, la);
        const char32_t cb = decodeAt(b, j, lb);
        if (isDigit(ca) && isDigit(cb)) {
            std::size_t ea = i;
            std::size_t eb = j;
            while (ea < a.size() && a[ea] >= '0' && a[ea] <= '9')
                ++ea;
            while (eb < b.size() && b[eb] >= '0' && b[eb] <= '9')
                ++eb;
            std::size_t za = i;
            std::size_t zb = j;
            while (za + 1 < ea && a[za] == '0')
                ++za;
            while (zb + 1 < eb && b[zb] == '0')
                ++zb;
            const std::size_t na = ea - za;
            const std::size_t nb = eb - zb;
            if (na != nb)
                return na < nb;
            const int order = a.substr(za, na).compare(b.substr(zb, nb));
            if (order != 0)
                return order < 0;
            i = ea;
            j = eb;
            continue;
        }
        const char32_t fa = foldCase(ca);
        const char32_t fb = foldCase(cb);
        if (fa != fb)
            return fa < fb;
        i += la;
        j += lb;
    }
    const bool aDone = i >= a.size();
    const bool bDone = j >= b.size();
    if (aDone != bDone)
        return aDone;
    return a < b;
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

std::string joinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    if (path.empty() || path.back() != '/')
        path += '/';
    path += name;
    return path;
}

std::string dropTrailingSeparator(std::string_view path) {
    if (!path.empty() && path.back() == '/')
        path.remove_suffix(1);
    return std::string(path);
}

std::string lastComponent(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/")
        return "/";
    const auto slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string parentFolder(std::string_view path) {
    while (path.size() > 1 && path.back() == '/')
        path.remove_suffix(1);
    if (path == "/" || path.empty())
        return "";
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return "";
    if (slash == 0)
        return "/";
    return std::string(path.substr(0, slash));
}

} // namespace quorvel
