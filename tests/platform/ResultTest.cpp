#include "platform/Result.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <memory>

namespace quorvel {
namespace {

Result<std::unique_ptr<int>> made(int value) {
    if (value < 0)
        return SystemError{"make", EINVAL};
    return std::make_unique<int>(value);
}

Result<void> checked(int value) {
    if (value == 0)
        return SystemError{"check", ENOENT};
    return {};
}

// Both steps through TRY: the failure of either is this function's, as it was given.
Result<int> doubled(int value) {
    TRY(checked(value));
    const std::unique_ptr<int> held = TRY(made(value));
    return *held * 2;
}

TEST(ResultTest, AFailureWithoutErrnoIsStillAFailure) {
    // A short read leaves errno at 0; the caller that asks only for the code must not see 0.
    errno = 0;
    const Result<void> nothing = lastError("read");
    EXPECT_FALSE(nothing.ok());
    EXPECT_EQ(nothing.code(), EIO);
    const Result<int> noValue = SystemError{"read", 0};
    EXPECT_FALSE(noValue.ok());
    EXPECT_EQ(noValue.code(), EIO);
    EXPECT_STREQ(noValue.error().call, "read");
    EXPECT_TRUE(Result<void>().ok());
    EXPECT_EQ(Result<void>().code(), 0);
}

TEST(ResultTest, TryHandsOnTheFirstFailureOrGivesTheValue) {
    const Result<int> fine = doubled(21);
    ASSERT_TRUE(fine.ok());
    EXPECT_EQ(fine.value(), 42);

    const Result<int> refused = doubled(0);
    ASSERT_FALSE(refused.ok());
    EXPECT_STREQ(refused.error().call, "check");
    EXPECT_EQ(refused.code(), ENOENT);

    const Result<int> unmade = doubled(-1);
    ASSERT_FALSE(unmade.ok());
    EXPECT_STREQ(unmade.error().call, "make");
    EXPECT_EQ(unmade.code(), EINVAL);
}

} // namespace
} // namespace quorvel
