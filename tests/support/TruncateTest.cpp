// The truncation helper: a cast where a cast is defined, a defined answer everywhere else.
#include "support/numeric/Truncate.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using inkspin::TruncateToInt32;
using inkspin::TruncateToLow16;
using inkspin::TruncateToLow8;

TEST(TruncateTest, InRangeLikeACastDefinedOutside)
{
    EXPECT_EQ(TruncateToInt32(1920.9), 1920);
    EXPECT_EQ(TruncateToInt32(0.5), 0);
    EXPECT_EQ(TruncateToInt32(-213.5), -213);
    EXPECT_EQ(TruncateToInt32(2147483646.9), 2147483646);
    EXPECT_EQ(TruncateToInt32(-2147483648.9), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateToInt32(std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TruncateToInt32(-std::numeric_limits<double>::infinity()), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncateToInt32(1e30), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TruncateToLow16(70000.0), static_cast<std::int16_t>(70000 - 65536));
    EXPECT_EQ(TruncateToLow8(268.0), 12);
    EXPECT_EQ(TruncateToLow8(6.7), 6);
}

} // namespace
