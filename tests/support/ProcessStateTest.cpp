// The small process-wide pieces: truncation helper, screen geometry, texture filter pair.
#include "support/data/TextureFilter.h"
#include "support/numeric/Truncate.h"
#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>
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

TEST(ScreenGeometryTest, StartsEmptyAndKeepsTheLastValue)
{
    EXPECT_EQ(VideoGetWidth(), 0); // before any setter in this process
    EXPECT_EQ(VideoGetHeight(), 0);
    VideoSetWidth(TruncateToLow16(1920.9));
    VideoSetHeight(-5);
    EXPECT_EQ(VideoGetWidth(), 1920);
    EXPECT_EQ(VideoGetHeight(), -5) << "sign-extended";
    VideoSetWidth(0);
    VideoSetHeight(0);
}

TEST(TextureFilterTest, ModesAndOneLevelOfRestore)
{
    EXPECT_EQ(TextureGetMinFilter(), GLuint(GL_LINEAR));
    TextureSetFilterMode(0);
    EXPECT_EQ(TextureGetMinFilter(), GLuint(GL_NEAREST));
    TextureRestoreFilterMode();
    EXPECT_EQ(TextureGetMagFilter(), GLuint(GL_LINEAR));
    TextureSetFilterMode(7);
    EXPECT_EQ(TextureGetMinFilter(), GLuint(GL_LINEAR_MIPMAP_LINEAR));
    EXPECT_EQ(TextureGetMagFilter(), GLuint(GL_LINEAR_MIPMAP_LINEAR));
    TextureSetFilterMode(-1);
    TextureSetFilterMode(0);
    TextureRestoreFilterMode();
    EXPECT_EQ(TextureGetMinFilter(), GLuint(GL_LINEAR_MIPMAP_LINEAR)) << "only one level is saved";
    TextureSetFilterMode(1);
    EXPECT_EQ(TextureGetMinFilter(), GLuint(GL_LINEAR));
}

} // namespace
