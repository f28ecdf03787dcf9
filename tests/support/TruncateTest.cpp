// The truncation helper at the edges the saver's own tests do not reach (the zoom geometry covers infinities and
// in-range values, the frame loop the low 8 bits of a tick count).
#include "support/numeric/Truncate.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(TruncateTest, InRangeLikeACastDefinedOutside)
{
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    EXPECT_EQ(inkspin::TruncateToInt32(2147483646.9), 2147483646);
    EXPECT_EQ(inkspin::TruncateToInt32(-2147483648.9), kMin);
    EXPECT_EQ(inkspin::TruncateToInt32(-213.5), -213);
    EXPECT_EQ(inkspin::TruncateToInt32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(inkspin::TruncateToLow16(70000.0), static_cast<std::int16_t>(70000 - 65536));
}

} // namespace
