#pragma once

#include <cerrno>
#include <utility>
#include <variant>

namespace quorvel {

// The failure of one system call: which call, and the errno it gave.
struct SystemError {
    const char* call = "";
    int code = 0;
};

// The errno that the call just made left behind, as its failure.
inline SystemError lastError(const char* call) {
    return {call, errno};
}

// A value, or the failure of the system call that kept it from being made.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(SystemError error) : state_(error) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(state_); }
    const T& value() const { return std::get<0>(state_); }
    const SystemError& error() const { return std::get<1>(state_); }
    // The errno value, 0 when it worked: what the callers that only tell the user need.
    int code() const { return ok() ? 0 : error().code; }

private:
    std::variant<T, SystemError> state_;
};

template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(SystemError error) : error_(error) {}

    bool ok() const { return error_.code == 0; }
    explicit operator bool() const { return ok(); }
    const SystemError& error() const { return error_; }
    int code() const { return error_.code; }

private:
    SystemError error_;
};

} // namespace quorvel
