#include "platform/exif/ExifCaptureDates.h"

#include "platform/exif/ByteSource.h"
#include "platform/exif/CaptureTimeParser.h"
#include "platform/posix/SystemCalls.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quorvel {

std::optional<CaptureTime> ExifCaptureDates::captureTime(const std::string& path) {
    return capture(path).time;
}

CaptureInfo ExifCaptureDates::capture(const std::string& path) {
    // Not blocking: a name that has become a pipe or a device since it was listed must not
    // hold the run up. Without an access time: a look at the dates is no use of the photo,
    // and the inode write it would cost on every file is a good part of a run's time. Only
    // the owner may ask for that, so anyone else opens the file plainly.
    constexpr int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    Result<int> opened = sys::open(path, flags | O_NOATIME);
    if (opened.code() == EPERM)
        opened = sys::open(path, flags);
    if (!opened)
        return {};
    const Descriptor fd(opened.value());
    const Result<struct stat> status = sys::fstat(fd.get());
    if (!status || !S_ISREG(status.value().st_mode))
        return {};
    // Kept from file to file, one per thread.
    thread_local std::vector<std::uint8_t> buffer;
    FileSource source(fd.get(), static_cast<std::uint64_t>(status.value().st_size), buffer);
    return fileCapture(source);
}

} // namespace quorvel
