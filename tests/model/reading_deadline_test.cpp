// A refresh's deadline holds for its scope; a nested one never extends it.
#include "model/reading_deadline.h"

#include <gtest/gtest.h>

#include "model/model_clock.h"

namespace {

using namespace std::chrono_literals;

TEST(ReadingDeadline, HoldsForItsScopeOnTheModelsClockAndNestsToTheSooner) {
    platform::ManualClock clock(platform::TimePoint(100s));
    ScopedModelClock bound(clock);
    EXPECT_FALSE(readingDeadline());
    {
        ScopedReadingDeadline refresh(10s);
        EXPECT_EQ(readingDeadline(), platform::TimePoint(110s));
        clock.advance(4s);
        {
            ScopedReadingDeadline longer(30s);
            EXPECT_EQ(readingDeadline(), platform::TimePoint(110s));
            ScopedReadingDeadline shorter(1s);
            EXPECT_EQ(readingDeadline(), platform::TimePoint(105s));
        }
        EXPECT_EQ(readingDeadline(), platform::TimePoint(110s));
    }
    EXPECT_FALSE(readingDeadline());
}

}  // namespace
