#include "platform/exif/ByteSource.h"

#include "platform/posix/SystemCalls.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace quorvel {

std::span<const std::uint8_t> MemorySource::bytes(std::uint64_t offset, std::size_t length) {
    if (!inside(offset, length))
        return {};
    return data_.subspan(static_cast<std::size_t>(offset), length);
}

std::span<const std::uint8_t> FileSource::bytes(std::uint64_t offset, std::size_t length) {
    if (!inside(offset, length))
        return {};
    if (offset >= start_ && offset - start_ + length <= buffer_.size())
        return std::span(buffer_).subspan(static_cast<std::size_t>(offset - start_), length);
    if (reads_ >= maxReads)
        return {};
    ++reads_;
    const auto wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(std::max(length, window), size_ - offset));
    buffer_.resize(wanted);
    start_ = offset;
    std::size_t got = 0;
    while (got < wanted) {
        const Result<std::size_t> n = sys::pread(fd_, reinterpret_cast<char*>(buffer_.data()) + got,
                                                 wanted - got, offset + got);
        if (!n || n.value() == 0)
            break;
        got += n.value();
    }
    // A file that shrank since it was measured keeps only what was really read.
    buffer_.resize(got);
    if (got < length)
        return {};
    return std::span(buffer_).first(length);
}

} // namespace quorvel
