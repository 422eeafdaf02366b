#include "platform/ExifSamples.h"

namespace quorvel::testing {

namespace {

// Built in a string: GCC 12 sees overflows in a growing vector of bytes where there are none.
struct Writer {
    std::string bytes;
    bool little = false;

    ByteVector out() const { return ByteVector(bytes.begin(), bytes.end()); }
    void u8(std::uint8_t v) { bytes.push_back(static_cast<char>(v)); }
    void u16(std::uint16_t v) {
        const auto low = static_cast<std::uint8_t>(v & 0xFF);
        const auto high = static_cast<std::uint8_t>(v >> 8);
        u8(little ? low : high);
        u8(little ? high : low);
    }
    void u32(std::uint32_t v) {
        const auto low = static_cast<std::uint16_t>(v & 0xFFFF);
        const auto high = static_cast<std::uint16_t>(v >> 16);
        u16(little ? low : high);
        u16(little ? high : low);
    }
    void text(const std::string& s) { bytes += s; }
    void append(const ByteVector& b) { bytes.append(b.begin(), b.end()); }
    void set32(std::size_t at, std::uint32_t v) {
        Writer w{{}, little};
        w.u32(v);
        bytes.replace(at, 4, w.bytes);
    }
};

struct Entry {
    std::uint16_t tag;
    std::uint16_t type;
    std::uint32_t count;
    std::string data; // the value bytes; kept inline when 4 bytes or fewer
};

// Writes an IFD at the end of w and its out-of-line values after it; returns where the
// value of the entry tagged `patchTag` sits, so that a pointer can be filled in later.
std::size_t writeIfd(Writer& w, std::size_t base, const std::vector<Entry>& entries,
                     std::uint16_t patchTag) {
    std::size_t patchAt = 0;
    const std::size_t start = w.bytes.size();
    std::size_t values = start + 2 + entries.size() * 12 + 4;
    std::string outOfLine;
    w.u16(static_cast<std::uint16_t>(entries.size()));
    for (const Entry& e : entries) {
        w.u16(e.tag);
        w.u16(e.type);
        w.u32(e.count);
        if (e.tag == patchTag)
            patchAt = w.bytes.size();
        if (e.data.size() <= 4) {
            std::string inline4 = e.data;
            inline4.resize(4, '\0');
            w.text(inline4);
        } else {
            w.u32(static_cast<std::uint32_t>(values + outOfLine.size() - base));
            outOfLine += e.data;
        }
    }
    w.u32(0);
    w.text(outOfLine);
    return patchAt;
}

Entry ascii(std::uint16_t tag, const std::string& text) {
    return {tag, 2, static_cast<std::uint32_t>(text.size() + 1), text + std::string(1, '\0')};
}

ByteVector box(const std::string& type, const ByteVector& payload) {
    Writer w;
    w.u32(static_cast<std::uint32_t>(payload.size() + 8));
    w.text(type);
    w.append(payload);
    return w.out();
}

} // namespace

ByteVector tiffBlock(const TiffLayout& layout, const std::string& make, const std::string& model) {
    Writer w{{}, layout.little};
    w.text(layout.little ? "II" : "MM");
    w.u16(layout.magic);
    const std::size_t header = 8 + layout.marker.size();
    w.u32(static_cast<std::uint32_t>(header + layout.padding));
    w.text(layout.marker);
    w.bytes.append(layout.padding, '\xAB');
    std::vector<Entry> dates;
    if (layout.original)
        dates.push_back(ascii(0x9003, *layout.original));
    if (layout.digitized)
        dates.push_back(ascii(0x9004, *layout.digitized));
    std::vector<Entry> first{ascii(0x010F, make)};
    if (!model.empty())
        first.push_back(ascii(0x0110, model));
    first.push_back({0x0112, 3, 1, std::string("\1\0", 2)});
    if (layout.datesInIfd0) {
        first.insert(first.end(), dates.begin(), dates.end());
        writeIfd(w, 0, first, 0);
        return w.out();
    }
    first.push_back({0x8769, 4, 1, "...."});
    const std::size_t pointer = writeIfd(w, 0, first, 0x8769);
    w.set32(pointer, static_cast<std::uint32_t>(w.bytes.size()));
    dates.insert(dates.begin(), {0x9000, 7, 4, "0232"});
    writeIfd(w, 0, dates, 0);
    return w.out();
}

ByteVector jpegWith(const ByteVector& tiff) {
    Writer w;
    w.text("\xFF\xD8\xFF\xE0");
    w.u16(16);
    w.text(std::string("JFIF\0\1\1\0\0\1\0\1\0\0", 14));
    w.text("\xFF\xE1");
    w.u16(static_cast<std::uint16_t>(tiff.size() + 8));
    w.text(std::string("Exif\0\0", 6));
    w.append(tiff);
    w.text("\xFF\xDA");
    w.u16(2);
    w.text("\x12\x34\xFF\xD9");
    return w.out();
}

ByteVector pngWith(const ByteVector& tiff) {
    Writer w;
    w.text("\x89PNG\r\n\x1A\n");
    const auto chunk = [&w](const std::string& type, const ByteVector& data) {
        w.u32(static_cast<std::uint32_t>(data.size()));
        w.text(type);
        w.append(data);
        w.u32(0); // the reader has no use for the checksum
    };
    chunk("IHDR", ByteVector(13, 1));
    chunk("IDAT", ByteVector(40, 7));
    chunk("eXIf", tiff);
    chunk("IEND", {});
    return w.out();
}

ByteVector webpWith(const ByteVector& tiff) {
    Writer w{{}, true};
    w.text("RIFF");
    w.u32(0);
    w.text("WEBP");
    const auto chunk = [&w](const std::string& type, const ByteVector& data) {
        w.text(type);
        w.u32(static_cast<std::uint32_t>(data.size()));
        w.append(data);
        if (data.size() % 2 != 0)
            w.u8(0);
    };
    chunk("VP8X", ByteVector(10, 0));
    chunk("VP8 ", ByteVector(21, 3));
    chunk("EXIF", tiff);
    w.set32(4, static_cast<std::uint32_t>(w.bytes.size() - 8));
    return w.out();
}

ByteVector heifWith(const ByteVector& tiff, bool inIdat) {
    Writer item;
    item.u32(6);
    item.text(std::string("Exif\0\0", 6));
    item.append(tiff);

    Writer infe;
    infe.text(std::string("\2\0\0\0", 4));
    infe.u16(1);
    infe.u16(0);
    infe.text(std::string("Exif\0", 5));
    Writer iinf;
    iinf.u32(0);
    iinf.u16(1);
    iinf.append(box("infe", infe.out()));

    const ByteVector ftyp = box("ftyp", {'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1'});
    const auto meta = [&](std::uint32_t offset) {
        Writer iloc;
        iloc.u32(0x01000000); // version 1
        iloc.u16(0x4400);     // four-byte offsets and lengths, no base offset
        iloc.u16(1);
        iloc.u16(1);              // item 1
        iloc.u16(inIdat ? 1 : 0); // construction method
        iloc.u16(0);
        iloc.u16(1);
        iloc.u32(offset);
        iloc.u32(static_cast<std::uint32_t>(item.bytes.size()));
        Writer contents;
        contents.u32(0);
        contents.append(box("hdlr", ByteVector(25, 0)));
        contents.append(box("iinf", iinf.out()));
        contents.append(box("iloc", iloc.out()));
        if (inIdat)
            contents.append(box("idat", item.out()));
        return box("meta", contents.out());
    };
    Writer file;
    file.append(ftyp);
    const std::size_t metaSize = meta(0).size();
    file.append(meta(inIdat ? 0 : static_cast<std::uint32_t>(ftyp.size() + metaSize + 8)));
    if (!inIdat)
        file.append(box("mdat", item.out()));
    return file.out();
}

namespace {

ByteVector metadata(const MovieLayout& layout) {
    std::vector<std::pair<std::string, std::string>> items;
    for (const auto& [key, value] : {std::pair{"com.apple.quicktime.make", layout.make},
                                     {"com.apple.quicktime.model", layout.model},
                                     {"com.apple.quicktime.creationdate", layout.creationDate}}) {
        if (!value.empty())
            items.emplace_back(key, value);
    }
    if (items.empty())
        return {};
    Writer keys;
    keys.u32(0);
    keys.u32(static_cast<std::uint32_t>(items.size()));
    Writer ilst;
    for (std::size_t i = 0; i < items.size(); ++i) {
        keys.u32(static_cast<std::uint32_t>(items[i].first.size() + 8));
        keys.text("mdta" + items[i].first);
        Writer data;
        data.u32(1); // UTF-8
        data.u32(0);
        data.text(items[i].second);
        Writer item;
        item.u32(static_cast<std::uint32_t>(16 + data.bytes.size()));
        item.u32(static_cast<std::uint32_t>(i + 1));
        item.append(box("data", data.out()));
        ilst.append(item.out());
    }
    Writer meta;
    meta.append(box("hdlr", ByteVector(25, 0)));
    meta.append(box("keys", keys.out()));
    meta.append(box("ilst", ilst.out()));
    return box("meta", meta.out());
}

} // namespace

ByteVector movieWith(const MovieLayout& layout) {
    Writer mvhd;
    mvhd.u32(layout.wideHeader ? 0x01000000 : 0);
    if (layout.wideHeader) {
        mvhd.u32(static_cast<std::uint32_t>(layout.created >> 32));
        mvhd.u32(static_cast<std::uint32_t>(layout.created));
        mvhd.u32(0);
        mvhd.u32(static_cast<std::uint32_t>(layout.created));
    } else {
        mvhd.u32(static_cast<std::uint32_t>(layout.created));
        mvhd.u32(static_cast<std::uint32_t>(layout.created));
    }
    mvhd.u32(600);
    mvhd.text(std::string(80, '\0'));
    Writer moov;
    moov.append(box("mvhd", mvhd.out()));
    moov.append(box("trak", ByteVector(200, 0)));
    if (!layout.day.empty()) {
        Writer day;
        day.u16(static_cast<std::uint16_t>(layout.day.size()));
        day.u16(0x55C4);
        day.text(layout.day);
        moov.append(box("udta", box("\xA9"
                                    "day",
                                    day.out())));
    }
    moov.append(metadata(layout));
    Writer file;
    if (!layout.brand.empty()) {
        Writer ftyp;
        ftyp.text(layout.brand);
        ftyp.u32(0);
        ftyp.text(layout.brand);
        file.append(box("ftyp", ftyp.out()));
    }
    file.append(box("mdat", ByteVector(layout.media, 0x5A)));
    file.append(box("moov", moov.out()));
    return file.out();
}

} // namespace quorvel::testing
