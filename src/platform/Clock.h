#pragma once

#include <ctime>

namespace quorvel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::time_t now() = 0;
};

class SystemClock : public Clock {
public:
    std::time_t now() override { return std::time(nullptr); }
};

} // namespace quorvel
