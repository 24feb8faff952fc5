#include "model/guard.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct NotAStdException {};

TEST(Guard, YieldsTheBodysValue) {
    EXPECT_EQ(guarded<int>(255, [] { return 3; }), 3);
}

TEST(Guard, YieldsTheFallbackForAnyStdException) {
    EXPECT_EQ(guarded<int>(255, []() -> int { throw std::runtime_error("raised"); }), 255);
    EXPECT_EQ(guarded<int>(7, []() -> int { throw std::bad_alloc(); }), 7);
}

TEST(Guard, LetsOtherExceptionsPass) {
    EXPECT_THROW(guarded<int>(255, []() -> int { throw NotAStdException{}; }), NotAStdException);
    EXPECT_THROW(guarded<int>(255, []() -> int { throw 42; }), int);
}

}  // namespace
