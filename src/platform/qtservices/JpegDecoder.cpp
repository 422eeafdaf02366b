#include "platform/qtservices/JpegDecoder.h"

#include "platform/posix/SystemCalls.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <memory>
#include <unistd.h>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace quorvel {

namespace {

// What libjpeg's callbacks and the jump out of it share: plain data only, since a jump
// skips destructors.
struct JpegRun {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    jpeg_source_mgr source{};
    std::jmp_buf jump{};
    const Deadline* deadline = nullptr;
    PictureFault fault = PictureFault::NotAPicture;
    int fd = -1;
    // Where the next read starts, how much was read, and how much may be.
    qint64 offset = 0;
    qint64 read = 0;
    qint64 limit = maxPictureBytesRead;
    std::array<JOCTET, std::size_t{64} * 1024> buffer{};
};

JpegRun& runOf(j_common_ptr info) {
    return *static_cast<JpegRun*>(info->client_data);
}

JpegRun& runOf(j_decompress_ptr info) {
    return *static_cast<JpegRun*>(info->client_data);
}

[[noreturn]] void giveUp(j_common_ptr info) {
    std::longjmp(runOf(info).jump, 1);
}

// Damaged data only draws grey where it is missing; warnings are not worth a word.
void ignore(j_common_ptr, int) {}

void giveUpIfOver(JpegRun& run) {
    if (const PictureFault fault = run.deadline->fault(); fault != PictureFault::None) {
        run.fault = fault;
        giveUp(reinterpret_cast<j_common_ptr>(&run.info));
    }
}

// Called by libjpeg as it goes, every few rows and every scan.
void checkDeadline(j_common_ptr info) {
    giveUpIfOver(runOf(info));
}

void noSourceWork(j_decompress_ptr) {}

// libjpeg reads through here, so the time allowed is checked with every block of the file
// too: the search for a scan's end in gigabytes of padding is bounded like the decoding.
boolean fillInput(j_decompress_ptr info) {
    JpegRun& run = runOf(info);
    giveUpIfOver(run);
    std::size_t got = 0;
    if (run.read < run.limit) {
        const Result<std::size_t> read =
            sys::pread(run.fd, reinterpret_cast<char*>(run.buffer.data()), run.buffer.size(),
                       static_cast<std::uint64_t>(run.offset));
        got = read ? read.value() : 0;
    }
    if (got == 0) {
        // What is missing ends the picture, as a cut file's end does.
        run.buffer[0] = 0xFF;
        run.buffer[1] = JPEG_EOI;
        got = 2;
    } else {
        run.offset += static_cast<qint64>(got);
        run.read += static_cast<qint64>(got);
    }
    run.source.next_input_byte = run.buffer.data();
    run.source.bytes_in_buffer = std::size_t(got);
    return TRUE;
}

// Skipped data is not read at all.
void skipInput(j_decompress_ptr info, long count) {
    if (count <= 0)
        return;
    jpeg_source_mgr& source = runOf(info).source;
    if (std::size_t(count) <= source.bytes_in_buffer) {
        source.next_input_byte += count;
        source.bytes_in_buffer -= std::size_t(count);
        return;
    }
    runOf(info).offset += qint64(count) - qint64(source.bytes_in_buffer);
    source.bytes_in_buffer = 0;
}

void readFrom(JpegRun& run, const PictureFile& file) {
    run.fd = file.descriptor();
    run.source.init_source = noSourceWork;
    run.source.fill_input_buffer = fillInput;
    run.source.skip_input_data = skipInput;
    run.source.resync_to_restart = jpeg_resync_to_restart;
    run.source.term_source = noSourceWork;
    run.info.src = &run.source;
}

bool readHeader(JpegRun& run) {
    if (setjmp(run.jump) != 0)
        return false;
    jpeg_read_header(&run.info, TRUE);
    return true;
}

// Picks the smallest scale in eighths whose output covers the target.
bool chooseScale(JpegRun& run, QSize target) {
    if (setjmp(run.jump) != 0)
        return false;
    jpeg_decompress_struct& info = run.info;
    info.scale_denom = 8;
    for (unsigned eighths = 1; eighths <= 8; ++eighths) {
        info.scale_num = eighths;
        jpeg_calc_output_dimensions(&info);
        if (int(info.output_width) >= target.width() && int(info.output_height) >= target.height())
            break;
    }
    return true;
}

// Bytes the decode will hold: a file in several scans keeps every coefficient of the whole
// picture until its last scan; each output row is four bytes a pixel; then the result.
qint64 memoryNeeded(jpeg_decompress_struct& info, QSize target) {
    qint64 coefficients = 0;
    if (jpeg_has_multiple_scans(&info)) {
        for (int c = 0; c < info.num_components; ++c) {
            const jpeg_component_info& component = info.comp_info[c];
            const qint64 h = component.h_samp_factor;
            const qint64 v = component.v_samp_factor;
            const qint64 across = (component.width_in_blocks + h - 1) / h * h;
            const qint64 down = (component.height_in_blocks + v - 1) / v * v;
            coefficients += across * down * DCTSIZE2 * qint64(sizeof(JCOEF));
        }
    }
    const qint64 output = qint64(info.output_width) * info.output_height * 4;
    const qint64 rows = qint64(info.output_width) * 4 * 2 * info.max_v_samp_factor * DCTSIZE;
    return coefficients + output + rows + qint64(target.width()) * target.height() * 4 + (1 << 20);
}

QImage::Format formatFor(jpeg_decompress_struct& info) {
    if (info.jpeg_color_space == JCS_GRAYSCALE) {
        info.out_color_space = JCS_GRAYSCALE;
        return QImage::Format_Grayscale8;
    }
    if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
        info.out_color_space = JCS_CMYK;
        return QImage::Format_RGB32;
    }
    // The byte order of Format_RGB32 in memory, alpha filled with 0xFF by the decoder.
    info.out_color_space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;
    return QImage::Format_RGB32;
}

// Inverted CMYK as Adobe's programs write it, to RGB in place.
void cmykToRgb(uchar* line, int width) {
    auto* out = reinterpret_cast<QRgb*>(line);
    for (int x = 0; x < width; ++x) {
        const uchar* in = line + std::ptrdiff_t{4} * x;
        const int k = in[3];
        out[x] = qRgb(k * in[0] / 255, k * in[1] / 255, k * in[2] / 255);
    }
}

bool decodeLines(JpegRun& run, QImage& image, QImage::Format format) {
    if (setjmp(run.jump) != 0)
        return false;
    jpeg_decompress_struct& info = run.info;
    jpeg_start_decompress(&info);
    image = QImage(int(info.output_width), int(info.output_height), format);
    if (image.isNull()) {
        jpeg_abort_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image.scanLine(int(info.output_scanline));
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            break;
        if (info.out_color_space == JCS_CMYK)
            cmykToRgb(row, image.width());
    }
    // Every row is in: what follows the picture's data in the file is of no use, and
    // finishing would read on to the end marker, however far away.
    jpeg_abort_decompress(&info);
    return true;
}

struct Decompressor {
    explicit Decompressor(JpegRun& run) : run_(run) { jpeg_create_decompress(&run_.info); }
    ~Decompressor() { jpeg_destroy_decompress(&run_.info); }
    Decompressor(const Decompressor&) = delete;
    Decompressor& operator=(const Decompressor&) = delete;
    JpegRun& run_;
};

} // namespace

DecodedImage decodeJpeg(const PictureFile& file, QSize target, DecodeMemory& memory,
                        const std::stop_token& stop) {
    if (!file.isOpen() || target.isEmpty())
        return {};
    auto run = std::make_unique<JpegRun>();
    run->info.err = jpeg_std_error(&run->errors);
    run->errors.error_exit = giveUp;
    run->errors.emit_message = ignore;
    const Decompressor decompressor(*run);
    run->info.client_data = run.get();
    readFrom(*run, file);
    const Deadline header(stop, decodeTimeAllowed);
    run->deadline = &header;
    if (!readHeader(*run) || !chooseScale(*run, target))
        return {{}, run->fault};
    // Even at its finest a JPEG holds its picture in less than twice the raw pixels: what
    // lies beyond is padding or garbage, and is taken as missing.
    const jpeg_decompress_struct& info = run->info;
    run->limit = std::min(maxPictureBytesRead, run->read +
                                                   2 * qint64(info.image_width) *
                                                       info.image_height * info.num_components +
                                                   (1 << 20));

    const qint64 needed = memoryNeeded(run->info, target);
    const Reservation reserved(memory, needed, stop);
    if (reserved.fault() != PictureFault::None)
        return {{}, reserved.fault()};
    // The time allowed counts from here: waiting for memory is not the picture's fault.
    const Deadline deadline(stop, decodeTimeAllowed);
    run->deadline = &deadline;
    // What libjpeg itself allocates for its buffers stays within the estimate.
    run->info.mem->max_memory_to_use = long(needed);
    run->progress.progress_monitor = checkDeadline;
    run->info.progress = &run->progress;

    QImage decoded;
    const QImage::Format format = formatFor(run->info);
    if (!decodeLines(*run, decoded, format))
        return {{}, run->fault};
    if (const PictureFault fault = deadline.fault(); fault != PictureFault::None)
        return {{}, fault};
    if (decoded.size() != target)
        decoded = decoded.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return {decoded, PictureFault::None};
}

} // namespace quorvel
