#pragma once

#include "platform/Pictures.h"

#include <QtGlobal>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace quorvel {

// Memory that the pictures being decoded may take together. Each decode reserves what it
// will need before it starts and waits while others hold the rest, so that however many
// decode at once, the program's peak stays below a fixed bound.
class DecodeMemory {
public:
    explicit DecodeMemory(qint64 bytes) : total_(bytes), free_(bytes) {}
    qint64 total() const { return total_; }
    // Waits until `bytes` are free and takes them; false when `stop` came first.
    bool take(qint64 bytes, const std::stop_token& stop);
    void give(qint64 bytes);

private:
    const qint64 total_;
    qint64 free_;
    std::mutex mutex_;
    std::condition_variable_any freed_;
};

// The bound shared by every decode of the process.
DecodeMemory& decodeMemory();

// Memory taken from the bound for as long as it lives: what a decode will need, waited for
// while other decodes hold it. A picture the bound could never hold is refused at once.
class Reservation {
public:
    Reservation(DecodeMemory& memory, qint64 bytes, const std::stop_token& stop);
    ~Reservation();
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;

    // Why the decode may not start: TooLarge, or Cancelled when asked to stop while it
    // waited; None once the memory is taken.
    PictureFault fault() const { return fault_; }

private:
    DecodeMemory& memory_;
    qint64 bytes_;
    PictureFault fault_ = PictureFault::None;
};

// Asked once, when the program ends: every decode under way or waiting for memory gives up,
// whoever started it.
void stopEveryDecode();
bool everyDecodeStopped();

// When a decode must give up: asked to stop, or past its time.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;
    Deadline(std::stop_token stop, Clock::duration allowed)
        : stop_(std::move(stop)), end_(Clock::now() + allowed) {}
    bool stopped() const { return stop_.stop_requested() || everyDecodeStopped(); }
    bool late() const { return Clock::now() > end_; }
    bool over() const { return stopped() || late(); }
    // What giving up now means for the picture: None while there is time.
    PictureFault fault() const {
        if (stopped())
            return PictureFault::Cancelled;
        return late() ? PictureFault::TooSlow : PictureFault::None;
    }

private:
    std::stop_token stop_;
    Clock::time_point end_;
};

// The time one picture may take to decode.
inline constexpr std::chrono::seconds decodeTimeAllowed{3};

} // namespace quorvel
