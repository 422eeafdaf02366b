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

// A failure stays a failure when the call left errno at 0 (a short read, a check of our
// own): it keeps a code, so that a caller that looks only at the code never takes it for
// success.
inline SystemError asFailure(SystemError error) {
    if (error.code == 0)
        error.code = EIO;
    return error;
}

// A value, or the failure of the system call that kept it from being made.
template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::move(value)) {}
    Result(SystemError error) : state_(asFailure(error)) {}

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
    Result(SystemError error) : error_(asFailure(error)), failed_(true) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    void value() const {}
    const SystemError& error() const { return error_; }
    int code() const { return error_.code; }

private:
    SystemError error_;
    bool failed_ = false;
};

namespace detail {

// What TRY gives once a Result holds a value: the value itself, moved out of a Result that
// is the macro's own.
template <typename T> T take(Result<T>& result) {
    return std::move(result.value());
}
template <typename T> T take(const Result<T>& result) {
    return result.value();
}
inline void take(Result<void>&) {}
inline void take(const Result<void>&) {}

} // namespace detail

} // namespace quorvel

// Hands the failure of a Result on to the caller, whose own Result it becomes, or gives
// its value: `Folder* folder = TRY(open(path));`. A statement expression, which GCC and
// Clang both know; __extension__ keeps -Wpedantic quiet about it.
#define TRY(expression)                                                                            \
    __extension__({                                                                                \
        auto&& tried_ = (expression);                                                              \
        if (!tried_)                                                                               \
            return tried_.error();                                                                 \
        ::quorvel::detail::take(tried_);                                                           \
    })
