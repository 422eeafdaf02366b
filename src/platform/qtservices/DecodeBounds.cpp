#include "platform/qtservices/DecodeBounds.h"

#include <utility>

namespace quorvel {

namespace {

// With the program's own 60 to 80 MB, this keeps it under 300 MB whatever it is shown.
constexpr qint64 decodeMemoryBytes = 192ll << 20;

std::stop_source& programEnd() {
    static std::stop_source end;
    return end;
}

} // namespace

void stopEveryDecode() {
    programEnd().request_stop();
}

bool everyDecodeStopped() {
    return programEnd().stop_requested();
}

bool DecodeMemory::take(qint64 bytes, const std::stop_token& stop) {
    // The program's end wakes a decode waiting here as its own stop would.
    std::stop_source either;
    const std::stop_callback own(stop, [&either] { either.request_stop(); });
    const std::stop_callback end(programEnd().get_token(), [&either] { either.request_stop(); });
    std::unique_lock lock(mutex_);
    if (!freed_.wait(lock, either.get_token(), [&] { return free_ >= bytes; }))
        return false;
    free_ -= bytes;
    return true;
}

Reservation::Reservation(DecodeMemory& memory, qint64 bytes, const std::stop_token& stop)
    : memory_(memory), bytes_(bytes) {
    if (bytes > memory.total())
        fault_ = PictureFault::TooLarge;
    else if (!memory.take(bytes, stop))
        fault_ = PictureFault::Cancelled;
}

Reservation::~Reservation() {
    if (fault_ == PictureFault::None)
        memory_.give(bytes_);
}

void DecodeMemory::give(qint64 bytes) {
    {
        const std::lock_guard lock(mutex_);
        free_ += bytes;
    }
    freed_.notify_all();
}

DecodeMemory& decodeMemory() {
    static DecodeMemory memory(decodeMemoryBytes);
    return memory;
}

} // namespace quorvel
