#include "platform/exif/Containers.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <vector>

namespace quorvel {

namespace {

using Bytes = std::span<const std::uint8_t>;

std::uint32_t big32(Bytes b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}
std::uint32_t little32(Bytes b) {
    return std::uint32_t{b[3]} << 24 | std::uint32_t{b[2]} << 16 | std::uint32_t{b[1]} << 8 | b[0];
}
bool same(Bytes b, const char* text) {
    const std::size_t n = std::strlen(text);
    return b.size() >= n && std::memcmp(b.data(), text, n) == 0;
}

// Segments, chunks and boxes come one after the other, and a damaged file can chain
// millions of tiny ones: a walk stops after this many.
constexpr int maxSteps = 1024;

// Some writers put the "Exif\0\0" of a JPEG segment before the TIFF header where the
// format wants the TIFF header alone; either is taken.
std::optional<ExifBlock> skipExifPrefix(ByteSource& source, ExifBlock block) {
    if (block.length >= 6 && same(source.bytes(block.start, 6), "Exif")) {
        block.start += 6;
        block.length -= 6;
    }
    return block;
}

std::optional<ExifBlock> jpegExif(ByteSource& source) {
    std::uint64_t at = 2;
    for (int step = 0; step < maxSteps; ++step) {
        const Bytes marker = source.bytes(at, 2);
        if (marker.size() != 2 || marker[0] != 0xFF)
            return std::nullopt;
        const std::uint8_t kind = marker[1];
        if (kind == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (kind == 0x01 || (kind >= 0xD0 && kind <= 0xD7)) { // markers without a length
            at += 2;
            continue;
        }
        // The EXIF segment comes before the image data; past that there is none.
        if (kind == 0xDA || kind == 0xD9)
            return std::nullopt;
        const Bytes head = source.bytes(at + 2, 8);
        if (head.size() != 8)
            return std::nullopt;
        const std::uint32_t length = std::uint32_t{head[0]} << 8 | head[1];
        if (length < 2)
            return std::nullopt;
        if (kind == 0xE1 && length >= 8 && same(head.subspan(2), "Exif") && head[6] == 0)
            return ExifBlock{at + 10, length - 8};
        at += 2 + length;
    }
    return std::nullopt;
}

// Writers that put eXIf after the image data put it among the last few chunks: the file's end
// is read at once rather than walking the image data a chunk at a time, thousands of them in
// a large picture.
constexpr std::size_t pngTail = std::size_t{256} * 1024;

bool pngChunkType(Bytes type) {
    return std::all_of(type.begin(), type.begin() + 4, [](std::uint8_t c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
}

// Whether the chunks from `at` in `tail` follow each other up to IEND: the letters "eXIf" met
// inside compressed data are not followed by such a chain.
bool chainsToEnd(Bytes tail, std::size_t at) {
    for (int step = 0; step < maxSteps && at + 8 <= tail.size(); ++step) {
        const Bytes head = tail.subspan(at, 8);
        if (!pngChunkType(head.subspan(4)))
            return false;
        const std::uint64_t end = at + 12 + std::uint64_t{big32(head)};
        if (end > tail.size())
            return false;
        if (same(head.subspan(4), "IEND"))
            return true;
        at = static_cast<std::size_t>(end);
    }
    return false;
}

std::optional<ExifBlock> pngTailExif(ByteSource& source, std::uint64_t from) {
    const std::uint64_t length = std::min<std::uint64_t>(source.size() - from, pngTail);
    const std::uint64_t start = source.size() - length;
    const Bytes read = source.bytes(start, static_cast<std::size_t>(length));
    const std::vector<std::uint8_t> tail(read.begin(), read.end());
    if (tail.size() != length)
        return std::nullopt;
    const Bytes bytes(tail);
    for (std::size_t type = 4; type + 8 <= bytes.size(); ++type) {
        if (!same(bytes.subspan(type), "eXIf"))
            continue;
        const std::uint64_t size = big32(bytes.subspan(type - 4));
        if (type + 8 + size <= bytes.size() && chainsToEnd(bytes, type + 8 + size))
            return skipExifPrefix(source, {start + type + 4, size});
    }
    return std::nullopt;
}

std::optional<ExifBlock> pngExif(ByteSource& source) {
    std::uint64_t at = 8;
    bool tailSeen = false;
    for (int step = 0; step < maxSteps; ++step) {
        const Bytes head = source.bytes(at, 8);
        if (head.size() != 8)
            return std::nullopt;
        const std::uint32_t length = big32(head);
        if (same(head.subspan(4), "eXIf"))
            return skipExifPrefix(source, {at + 8, length});
        if (same(head.subspan(4), "IEND"))
            return std::nullopt;
        if (same(head.subspan(4), "IDAT") && !tailSeen) {
            tailSeen = true;
            if (std::optional<ExifBlock> block = pngTailExif(source, at))
                return block;
        }
        at += 12 + std::uint64_t{length};
    }
    return std::nullopt;
}

std::optional<ExifBlock> webpExif(ByteSource& source) {
    std::uint64_t at = 12;
    for (int step = 0; step < maxSteps; ++step) {
        const Bytes head = source.bytes(at, 8);
        if (head.size() != 8)
            return std::nullopt;
        const std::uint32_t length = little32(head.subspan(4));
        if (same(head, "EXIF"))
            return skipExifPrefix(source, {at + 8, length});
        at += 8 + std::uint64_t{length} + (length & 1);
    }
    return std::nullopt;
}

// ISO media files (HEIC, HEIF, AVIF) keep EXIF as an item of the "meta" box: its type is
// named in "iinf", its place in the file in "iloc".
struct Box {
    std::uint64_t payload = 0; // where the contents begin, after the header
    std::uint64_t length = 0;  // of the contents
    std::array<char, 4> type{};
};

// The box whose header starts `header` (8 bytes, or 16 for a large one), in a container
// that has `room` bytes left from there on; offsets are from the box's start.
std::optional<Box> boxAt(Bytes header, std::uint64_t room) {
    if (header.size() < 8 || room < 8)
        return std::nullopt;
    Box box;
    std::memcpy(box.type.data(), header.data() + 4, 4);
    std::uint64_t size = big32(header);
    std::uint64_t headerSize = 8;
    if (size == 1) {
        if (header.size() < 16)
            return std::nullopt;
        size = std::uint64_t{big32(header.subspan(8))} << 32 | big32(header.subspan(12));
        headerSize = 16;
    } else if (size == 0) {
        size = room;
    }
    if (size < headerSize || size > room)
        return std::nullopt;
    box.payload = headerSize;
    box.length = size - headerSize;
    return box;
}

// The first box of `type` among the boxes that fill `data` from `at` on.
std::optional<Box> findBox(Bytes data, std::uint64_t at, const char* type) {
    for (int step = 0; step < maxSteps && at <= data.size(); ++step) {
        std::optional<Box> box =
            boxAt(data.subspan(static_cast<std::size_t>(at)), data.size() - at);
        if (!box)
            return std::nullopt;
        box->payload += at;
        if (std::memcmp(box->type.data(), type, 4) == 0)
            return box;
        at = box->payload + box->length;
    }
    return std::nullopt;
}

// Reads big-endian numbers of the sizes "iloc" declares; a read past the end fails for good.
struct Cursor {
    Bytes data;
    std::uint64_t at = 0;
    bool ok = true;

    std::uint64_t take(std::uint64_t size) {
        if (!ok || size > data.size() - at) {
            ok = false;
            return 0;
        }
        std::uint64_t value = 0;
        for (std::uint64_t i = 0; i < size; ++i)
            value = value << 8 | data[static_cast<std::size_t>(at + i)];
        at += size;
        return value;
    }
};

std::optional<std::uint32_t> exifItem(Bytes meta, const Box& iinf) {
    const Bytes list =
        meta.subspan(static_cast<std::size_t>(iinf.payload), static_cast<std::size_t>(iinf.length));
    if (list.empty())
        return std::nullopt;
    std::uint64_t at = list[0] == 0 ? 6 : 8;
    for (int step = 0; step < maxSteps; ++step) {
        const std::optional<Box> infe = findBox(list, at, "infe");
        if (!infe)
            return std::nullopt;
        const Bytes entry = list.subspan(static_cast<std::size_t>(infe->payload),
                                         static_cast<std::size_t>(infe->length));
        // Only versions 2 and 3 name the item's type.
        const std::size_t idSize = entry.empty() ? 0 : entry[0] == 2 ? 2 : entry[0] == 3 ? 4 : 0;
        if (idSize != 0 && entry.size() >= 4 + idSize + 2 + 4 &&
            same(entry.subspan(4 + idSize + 2), "Exif")) {
            Cursor id{entry, 4};
            return static_cast<std::uint32_t>(id.take(idSize));
        }
        at = infe->payload + infe->length;
    }
    return std::nullopt;
}

// Where item `wanted`'s first extent lies: its offset from the file's start, or from the
// contents of "idat" when `inIdat`, and its length (0 for "up to the end").
struct Extent {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
    bool inIdat = false;
};

std::optional<Extent> itemExtent(Bytes meta, const Box& iloc, std::uint32_t wanted) {
    Cursor c{meta.subspan(static_cast<std::size_t>(iloc.payload),
                          static_cast<std::size_t>(iloc.length))};
    const std::uint64_t version = c.take(1);
    c.take(3);
    const std::uint64_t sizes = c.take(2);
    const std::uint64_t offsetSize = sizes >> 12, lengthSize = sizes >> 8 & 15,
                        baseSize = sizes >> 4 & 15, indexSize = version == 0 ? 0 : sizes & 15;
    for (const std::uint64_t size : {offsetSize, lengthSize, baseSize, indexSize}) {
        if (size != 0 && size != 4 && size != 8)
            return std::nullopt;
    }
    const std::uint64_t items = c.take(version < 2 ? 2 : 4);
    for (std::uint64_t i = 0; i < items && c.ok; ++i) {
        const std::uint64_t id = c.take(version < 2 ? 2 : 4);
        const std::uint64_t method = version == 0 ? 0 : c.take(2) & 15;
        c.take(2);
        const std::uint64_t base = c.take(baseSize);
        const std::uint64_t extents = c.take(2);
        if (id == wanted && extents > 0 && method <= 1) {
            c.take(indexSize);
            const std::uint64_t offset = c.take(offsetSize);
            const std::uint64_t length = c.take(lengthSize);
            if (!c.ok || offset > UINT64_MAX - base)
                return std::nullopt;
            return Extent{base + offset, length, method == 1};
        }
        c.take(extents * (indexSize + offsetSize + lengthSize));
    }
    return std::nullopt;
}

std::optional<ExifBlock> exifItemBlock(ByteSource& source, Bytes meta, const Box& metaBox,
                                       const Extent& extent) {
    std::uint64_t start = extent.offset;
    std::uint64_t end = source.size();
    if (extent.inIdat) {
        const std::optional<Box> idat = findBox(meta, 4, "idat");
        if (!idat || extent.offset > idat->length)
            return std::nullopt;
        start = metaBox.payload + idat->payload + extent.offset;
        end = metaBox.payload + idat->payload + idat->length;
    }
    if (start > end)
        return std::nullopt;
    const std::uint64_t length = extent.length == 0 ? end - start : extent.length;
    if (length > end - start || length < 4)
        return std::nullopt;
    // The item begins with the offset of the TIFF header past its own four bytes.
    const Bytes prefix = source.bytes(start, 4);
    if (prefix.size() != 4)
        return std::nullopt;
    const std::uint64_t skip = 4 + std::uint64_t{big32(prefix)};
    if (skip > length)
        return std::nullopt;
    return skipExifPrefix(source, {start + skip, length - skip});
}

std::optional<ExifBlock> bmffExif(ByteSource& source) {
    std::optional<Box> meta;
    std::uint64_t at = 0;
    for (int step = 0; step < maxSteps && !meta; ++step) {
        // A top-level box's header, read where it lies: the boxes before "meta" may be
        // large and are skipped unread.
        if (at > source.size())
            return std::nullopt;
        const std::uint64_t room = source.size() - at;
        const std::optional<Box> box = boxAt(
            source.bytes(at, static_cast<std::size_t>(std::min<std::uint64_t>(16, room))), room);
        if (!box)
            return std::nullopt;
        if (std::memcmp(box->type.data(), "meta", 4) == 0)
            meta = Box{at + box->payload, box->length, box->type};
        at += box->payload + box->length;
    }
    if (!meta || meta->length < 4 || meta->length > ByteSource::maxRequest)
        return std::nullopt;
    const Bytes read = source.bytes(meta->payload, static_cast<std::size_t>(meta->length));
    const std::vector<std::uint8_t> contents(read.begin(), read.end());
    if (contents.size() != meta->length)
        return std::nullopt;
    const std::optional<Box> iinf = findBox(contents, 4, "iinf");
    const std::optional<Box> iloc = findBox(contents, 4, "iloc");
    if (!iinf || !iloc)
        return std::nullopt;
    const std::optional<std::uint32_t> item = exifItem(contents, *iinf);
    const std::optional<Extent> extent = item ? itemExtent(contents, *iloc, *item) : std::nullopt;
    if (!extent)
        return std::nullopt;
    return exifItemBlock(source, contents, *meta, *extent);
}

} // namespace

std::optional<ExifBlock> findExifBlock(ByteSource& source) {
    const Bytes first = source.bytes(0, std::min<std::uint64_t>(12, source.size()));
    std::array<std::uint8_t, 12> head{};
    std::copy(first.begin(), first.end(), head.begin());
    const Bytes h(head.data(), first.size());
    if (same(h, "\xFF\xD8"))
        return jpegExif(source);
    if (same(h, "II") || same(h, "MM"))
        return ExifBlock{0, source.size()};
    if (same(h, "\x89PNG\r\n\x1A\n"))
        return pngExif(source);
    if (same(h, "RIFF") && h.size() >= 12 && same(h.subspan(8), "WEBP"))
        return webpExif(source);
    if (h.size() >= 8 && same(h.subspan(4), "ftyp"))
        return bmffExif(source);
    return std::nullopt;
}

} // namespace quorvel
