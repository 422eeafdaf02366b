#pragma once

#include <cstdint>
#include <utility>

namespace quorvel {

// Window-level variables are kept by the subsystem that writes them. Two subsystems may each
// keep one of the same name (the text typed into a box, the sample it showed); each write
// takes a turn, so that the window's lookup shows the one written last, as a single variable
// of the window would show it.
template <typename T> class Kept {
public:
    Kept& operator=(T value) {
        value_ = std::move(value);
        turn_ = ++lastTurn();
        return *this;
    }
    const T& operator*() const { return value_; }
    const T* operator->() const { return &value_; }
    // Later writes have larger turns; 0 for never.
    std::uint64_t turn() const { return turn_; }

    // The one of two variables of the same name written last.
    friend const T& latest(const Kept& a, const Kept& b) {
        return a.turn_ >= b.turn_ ? a.value_ : b.value_;
    }

private:
    static std::uint64_t& lastTurn() {
        static std::uint64_t turn = 0;
        return turn;
    }
    T value_{};
    std::uint64_t turn_ = 0;
};

} // namespace quorvel
