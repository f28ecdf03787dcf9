// The shade texture as OpenGL stores it: its bands, ramps and the inputs at their extremes.
#include "tests/common/TestEnvironment.h"

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

class ShadeTextureTest : public ViewTest {
protected:
    std::unique_ptr<InkspinView> view;

    void SetUp() override
    {
        ViewTest::SetUp();
        view = startView(32, 32);
        ASSERT_TRUE(view->gIsInitialized);
    }
    void TearDown() override
    {
        view.reset();
        ViewTest::TearDown();
    }

    // Rebuilds the texture the way a saved setting does, and reads back its 32 grey values.
    std::array<float, 32> build(std::int32_t start, std::int32_t end, std::int32_t levels, float low, float high)
    {
        view->gShadeStartPosition = start;
        view->gShadeEndPosition = end;
        view->gShadeLevels = levels;
        view->gShadeStartIntensity = low;
        view->gShadeEndIntensity = high;
        view->gGenerateNewShade = 1;
        view->gSettingsChanged = 1;
        frame(*view, 1);
        EXPECT_EQ(view->gGenerateNewShade, 0);
        std::array<float, 32 * 3> rgb{};
        glBindTexture(GL_TEXTURE_1D, view->gShadeTexture);
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_FLOAT, rgb.data());
        std::array<float, 32> grey{};
        for (int i = 0; i < 32; ++i) {
            EXPECT_EQ(rgb[3 * i], rgb[3 * i + 1]);
            EXPECT_EQ(rgb[3 * i], rgb[3 * i + 2]);
            grey[i] = rgb[3 * i];
        }
        return grey;
    }
};

constexpr float kByte = 1.0f / 255.0f + 1e-6f; // the texture stores 8 bits per channel

TEST_F(ShadeTextureTest, DefaultsGiveThreeBands)
{
    const auto t = build(4, 20, 1, 0.6f, 1.0f);
    for (int i = 0; i < 32; ++i)
        EXPECT_NEAR(t[i], i < 4 ? 0.6f : i < 20 ? 0.9f : 1.0f, kByte) << "texel " << i;
}

TEST_F(ShadeTextureTest, StartBeyondEndIsRaisedAndKept)
{
    const auto t = build(12, 8, 1, 0.6f, 1.0f);
    EXPECT_EQ(view->gShadeEndPosition, 12);
    for (int i = 0; i < 32; ++i)
        EXPECT_NEAR(t[i], i < 12 ? 0.6f : 1.0f, kByte) << "texel " << i;
}

TEST_F(ShadeTextureTest, RampsFollowTheLevelCount)
{
    auto ramp = build(0, 32, 32, 0.0f, 1.0f);
    for (int i = 0; i < 32; ++i)
        EXPECT_NEAR(ramp[i], (i + 1) / 32.0f, kByte) << "texel " << i;

    // Levels 2 over 16 texels: the step is 1, so the ramp climbs past 1 and OpenGL clamps it.
    const auto steep = build(4, 20, 2, 0.6f, 1.0f);
    EXPECT_NEAR(steep[3], 0.6f, kByte);
    EXPECT_NEAR(steep[4], 1.0f, kByte);
    EXPECT_NEAR(steep[5], 1.0f, kByte);

    // Levels 0: a zero step counts as 1.
    const auto zero = build(4, 20, 0, 0.5f, 0.52f);
    EXPECT_NEAR(zero[4], 0.52f, kByte);
    EXPECT_NEAR(zero[5], 0.54f, kByte);

    // Negative levels fall away from the start intensity.
    const auto falling = build(4, 20, -32, 0.5f, 1.0f);
    EXPECT_LT(falling[10], falling[4]);
}

TEST_F(ShadeTextureTest, ExtremeInputsStayDefined)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const std::int32_t low = std::numeric_limits<std::int32_t>::min(), high = std::numeric_limits<std::int32_t>::max();
    auto wide = build(low, high, 1, 0.2f, 0.8f); // the whole texture is the middle band
    for (float v : wide)
        EXPECT_NEAR(v, 0.65f, kByte);
    auto ramp = build(low, high, high, 0.0f, 1.0f); // no integer overflow on the way
    for (float v : ramp)
        EXPECT_TRUE(v >= 0.0f && v <= 1.0f);
    auto nanTexels = build(4, 20, 3, nan, nan);
    for (float v : nanTexels)
        EXPECT_EQ(v, 0.0f) << "a NaN intensity draws black";
    auto equal = build(7, 7, 1, 0.3f, 0.7f);
    for (int i = 0; i < 32; ++i)
        EXPECT_NEAR(equal[i], i < 7 ? 0.3f : 0.7f, kByte);
}

} // namespace
