#pragma once

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
    bool take(qint64 bytes, std::stop_token stop);
    void give(qint64 bytes);

private:
    const qint64 total_;
    qint64 free_;
    std::mutex mutex_;
    std::condition_variable_any freed_;
};

// The bound shared by every decode of the process.
DecodeMemory& decodeMemory();

// Memory taken from the bound for as long as it lives.
class Reservation {
public:
    Reservation(DecodeMemory& memory, qint64 bytes) : memory_(memory), bytes_(bytes) {}
    ~Reservation() { memory_.give(bytes_); }
    Reservation(const Reservation&) = delete;
    Reservation& operator=(const Reservation&) = delete;

private:
    DecodeMemory& memory_;
    qint64 bytes_;
};

// When a decode must give up: asked to stop, or past its time.
class Deadline {
public:
    using Clock = std::chrono::steady_clock;
    Deadline(std::stop_token stop, Clock::duration allowed)
        : stop_(std::move(stop)), end_(Clock::now() + allowed) {}
    bool stopped() const { return stop_.stop_requested(); }
    bool late() const { return Clock::now() > end_; }
    bool over() const { return stopped() || late(); }

private:
    std::stop_token stop_;
    Clock::time_point end_;
};

// The time one picture may take to decode.
inline constexpr std::chrono::seconds decodeTimeAllowed{3};

} // namespace quorvel
