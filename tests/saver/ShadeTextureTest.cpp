// The shade texture as OpenGL stores it, for settings at and past their extremes.
#include "tests/common/TestEnvironment.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <functional>

namespace {

constexpr float kByte = 1.0f / 255.0f + 1e-6f; // the texture stores 8 bits per channel

class ShadeTextureTest : public ViewTest {};

TEST_F(ShadeTextureTest, TexelsFollowTheFiveSettings)
{
    struct Case {
        std::int32_t start, end, levels;
        float low, high;
        std::function<float(int)> texel; // expected grey of texel i; NaN: only check it lies in 0..1
    };
    const Case cases[] = {
        {4, 20, 1, 0.6f, 1.0f, [](int i) { return i < 4 ? 0.6f : i < 20 ? 0.9f : 1.0f; }},
        {12, 8, 1, 0.6f, 1.0f, [](int i) { return i < 12 ? 0.6f : 1.0f; }}, // the end is raised to the start
        {7, 7, 1, 0.3f, 0.7f, [](int i) { return i < 7 ? 0.3f : 0.7f; }},
        {0, 32, 32, 0.0f, 1.0f, [](int i) { return (i + 1) / 32.0f; }},
        {4, 20, 2, 0.6f, 1.0f, [](int i) { return i < 4 ? 0.6f : 1.0f; }}, // a step of 1 climbs past 1: clamped
        {4, 20, 0, 0.5f, 0.52f, [](int i) { return i < 4 ? 0.5f : i < 20 ? 0.5f + (i - 3) * 0.02f : 0.52f; }},
        {4, 20, -32, 0.5f, 1.0f, [](int i) { return i < 4 ? 0.5f : i < 20 ? 0.5f - (i - 3) / 32.0f : 1.0f; }},
        {INT32_MIN, INT32_MAX, 1, 0.2f, 0.8f, [](int) { return 0.65f; }}, // the whole texture is the middle band
        {INT32_MIN, INT32_MAX, INT32_MAX, 0.0f, 1.0f, [](int) { return NAN; }}, // no integer overflow on the way
        {4, 20, 3, NAN, NAN, [](int) { return 0.0f; }},          // a NaN intensity draws black
    };
    auto view = startView(32, 32);
    for (const Case& c : cases) {
        view->gShadeStartPosition = c.start;
        view->gShadeEndPosition = c.end;
        view->gShadeLevels = c.levels;
        view->gShadeStartIntensity = c.low;
        view->gShadeEndIntensity = c.high;
        view->gGenerateNewShade = view->gSettingsChanged = 1;
        frame(*view, 1);
        EXPECT_EQ(view->gGenerateNewShade, 0);
        std::array<float, 32 * 3> rgb{};
        glBindTexture(GL_TEXTURE_1D, view->gShadeTexture);
        glGetTexImage(GL_TEXTURE_1D, 0, GL_RGB, GL_FLOAT, rgb.data());
        for (int i = 0; i < 32; ++i) {
            SCOPED_TRACE(::testing::Message() << c.start << ".." << c.end << " levels " << c.levels << " texel " << i);
            EXPECT_EQ(rgb[3 * i], rgb[3 * i + 2]);
            const float expected = std::clamp(c.texel(i), 0.0f, 1.0f);
            if (std::isnan(c.texel(i)))
                EXPECT_TRUE(rgb[3 * i] >= 0.0f && rgb[3 * i] <= 1.0f);
            else
                EXPECT_NEAR(rgb[3 * i], expected, kByte);
        }
    }
}

} // namespace
