#include "platform/exif/ExifCaptureDates.h"

#include "platform/exif/ByteSource.h"
#include "platform/exif/CaptureTimeParser.h"

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
    int fd = ::open(path.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM)
        fd = ::open(path.c_str(), flags);
    if (fd < 0)
        return {};
    CaptureInfo info;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        // Kept from file to file, one per thread.
        thread_local std::vector<std::uint8_t> buffer;
        FileSource source(fd, static_cast<std::uint64_t>(status.st_size), buffer);
        info = fileCapture(source);
    }
    ::close(fd);
    return info;
}

} // namespace quorvel
