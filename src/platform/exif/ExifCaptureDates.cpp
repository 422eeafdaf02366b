#include "platform/exif/ExifCaptureDates.h"

#include "platform/exif/ByteSource.h"
#include "platform/exif/CaptureTimeParser.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {

std::optional<CaptureTime> ExifCaptureDates::captureTime(const std::string& path) {
    // Not blocking: a name that has become a pipe or a device since it was listed must not
    // hold the run up.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    std::optional<CaptureTime> time;
    struct stat status {};
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        FileSource source(fd, static_cast<std::uint64_t>(status.st_size));
        time = fileCaptureTime(source);
    }
    ::close(fd);
    return time;
}

} // namespace quorvel
