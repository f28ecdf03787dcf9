// The zoom-feedback background: where it captures and draws, what the blend does to the background colour, the
// OpenGL state it leaves, and switching it off and on while running.
#include "tests/common/TestEnvironment.h"

#include "saver/ZoomGeometry.h"
#include "support/memory/MemoryPoolTesting.h"

#include <GL/gl.h>

#include <cmath>
#include <limits>

namespace {

const Pixel kBackground = kDefaultBackground;

// The background after one pass of the blend with a capture of itself at half intensity.
Pixel Darkened(const Pixel& background)
{
    const float tint[3] = {0.6f, 0.52f, 0.45f};
    const int in[3] = {background.r, background.g, background.b};
    int out[3];
    for (int c = 0; c < 3; ++c) {
        const float captured = std::round(in[c] * 0.5f) / 255.0f;
        out[c] = static_cast<int>(std::lround(in[c] * (1.0f - captured * tint[c])));
    }
    return {out[0], out[1], out[2]};
}

TEST(ZoomGeometryTest, CaptureAndRectangleFollowTheDrawingArea)
{
    struct Row {
        int w, h;
        float scale;
        int captureH, x, y;
        float t;
        int x0, x1, y0, y1;
    };
    const Row rows[] = {
        {1024, 768, 2.0f, 96, 448, 336, 0.75f, -512, 1536, -384, 1152},
        {320, 240, 2.0f, 96, 96, 72, 0.75f, -160, 480, -120, 360},
        {768, 1024, 2.0f, 128, 320, 448, 1.0f, -384, 1152, -384, 1408},
        {1280, 854, 1.5f, 85, 576, 384, 0.6671875f, -320, 1600, -213, 1067},
        {1024, 768, 1.0f, 96, 448, 336, 0.75f, 0, 1024, 0, 768},
        {1024, 768, 0.5f, 96, 448, 336, 0.75f, 256, 768, 192, 576},
        {100, 80, 2.0f, 102, -14, -11, 0.8f, -50, 150, -40, 120},
    };
    for (const Row& r : rows) {
        const ZoomGeometry g = ComputeZoomGeometry(r.w, r.h, r.scale);
        EXPECT_EQ(g.captureHeight, r.captureH) << r.w << "x" << r.h;
        EXPECT_EQ(g.captureX, r.x);
        EXPECT_EQ(g.captureY, r.y);
        EXPECT_FLOAT_EQ(g.topTexCoord, r.t);
        EXPECT_EQ(g.x0, r.x0);
        EXPECT_EQ(g.x1, r.x1);
        EXPECT_EQ(g.y0, r.y0);
        EXPECT_EQ(g.y1, r.y1);
    }
    // Factors no slider gives: a NaN draws an empty rectangle, huge ones saturate instead of overflowing.
    const ZoomGeometry nan = ComputeZoomGeometry(1024, 768, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(nan.x0, 0);
    EXPECT_EQ(nan.x1, 0);
    const ZoomGeometry huge = ComputeZoomGeometry(1024, 768, 1e30f);
    EXPECT_EQ(huge.x0, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(huge.x1, std::numeric_limits<std::int32_t>::max());
    const ZoomGeometry infinite = ComputeZoomGeometry(1024, 768, std::numeric_limits<float>::infinity());
    EXPECT_EQ(infinite.y1, std::numeric_limits<std::int32_t>::max());
}

class BackgroundZoomTest : public ViewTest {
protected:
    static constexpr int kW = 320, kH = 240;

    // The pixel at (x, y) counted from the top left.
    Pixel at(const std::vector<Pixel>& image, int x, int y) { return image[y * kW + x]; }
};

TEST_F(BackgroundZoomTest, FirstFrameMultipliesTheHalfIntensityCapture)
{
    auto view = startView(kW, kH);
    ASSERT_TRUE(view->gZoomBackground);
    frame(*view, 1);
    const std::vector<Pixel> image = pixels();
    const Pixel expected = Darkened(kBackground);
    int checked = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            if (std::abs(x - kW / 2) < 40 && std::abs(y - kH / 2) < 40)
                continue; // the lattice is a dot in the centre at this point of the intro
            ASSERT_TRUE(Near(at(image, x, y), expected, 2)) << x << "," << y;
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
}

TEST_F(BackgroundZoomTest, FactorBelowOneLeavesABorderOfBackground)
{
    auto view = startView(kW, kH, [](InkspinView& v) { v.gBufferScale = 0.5f; });
    frame(*view, 1);
    const std::vector<Pixel> image = pixels();
    // The rectangle spans 80..240 x 60..180 of a 320 x 240 area.
    EXPECT_EQ(at(image, 10, 10), kBackground);
    EXPECT_EQ(at(image, 70, 120), kBackground);
    EXPECT_EQ(at(image, 250, 120), kBackground);
    EXPECT_EQ(at(image, 160, 50), kBackground);
    EXPECT_TRUE(Near(at(image, 90, 70), Darkened(kBackground), 2));
    EXPECT_TRUE(Near(at(image, 230, 170), Darkened(kBackground), 2));
}

TEST_F(BackgroundZoomTest, BrightFramesDarkenTheBackgroundOverTime)
{
    auto view = startView(kW, kH);
    for (int i = 0; i < 7; ++i)
        frame(*view, 255); // past the intro: the lattice fills the centre
    const std::vector<Pixel> image = pixels();
    int darker = 0, background = 0;
    for (const Pixel& p : image) {
        background += p == kBackground;
        darker += p.r < kBackground.r - 20;
    }
    EXPECT_EQ(background, 0) << "a factor of 2 covers the whole area";
    EXPECT_GT(darker, 0);
}

TEST_F(BackgroundZoomTest, SwitchingOffAndOnWhileRunning)
{
    auto view = startView(kW, kH);
    frame(*view, 1);
    const std::size_t blocks = MemoryLiveBlockCount();

    view->gNewZoomBackground = 0;
    view->gNewBufferScale = 2.0f;
    view->gSettingsChanged = 1;
    frame(*view, 1);
    EXPECT_EQ(view->gZoomBackground, 0);
    EXPECT_EQ(view->gBufferPixels, nullptr);
    EXPECT_EQ(view->gBackTexture, 0u);
    EXPECT_EQ(MemoryLiveBlockCount(), blocks - 1);
    EXPECT_EQ(pixels()[0], kBackground) << "a flat background";

    view->gNewZoomBackground = 1;
    view->gNewBufferScale = 1.0f;
    view->gSettingsChanged = 1;
    frame(*view, 1);
    EXPECT_EQ(view->gZoomBackground, 1);
    EXPECT_EQ(view->gBufferScale, 1.0f);
    EXPECT_NE(view->gBufferPixels, nullptr);
    EXPECT_EQ(pixels()[0], kBackground) << "the first image after switching on is blank, not heap garbage";
    frame(*view, 1);
    EXPECT_TRUE(Near(pixels()[0], Darkened(kBackground), 2)) << "from the next frame on, the capture shows";
}

TEST_F(BackgroundZoomTest, NoBufferMeansAFlatBackground)
{
    auto view = startView(kW, kH);
    frame(*view, 1);
    view->gNewZoomBackground = 0;
    view->gSettingsChanged = 1;
    frame(*view, 1);
    view->gNewZoomBackground = 1;
    view->gSettingsChanged = 1;
    MemorySetFailAfter(0);
    frame(*view, 1);
    MemorySetFailAfter(-1);
    EXPECT_EQ(view->gZoomBackground, 0);
    EXPECT_EQ(view->gNewZoomBackground, 1) << "the choice stays for the next save";
    frame(*view, 1);
    EXPECT_EQ(pixels()[0], kBackground);
}

TEST_F(BackgroundZoomTest, HandEditedFactorsDrawSomethingDefined)
{
    for (float factor : {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f, -3.0f}) {
        auto view = startView(kW, kH, [](InkspinView&) {});
        view->gBufferScale = factor;
        frame(*view, 1);
        frame(*view, 1);
        EXPECT_TRUE(view->gIsInitialized);
        view->stopAnimation();
    }
}

TEST_F(BackgroundZoomTest, StateAfterEachPath)
{
    auto view = startView(kW, kH);
    for (bool dither : {false, true}) {
        for (bool capture : {false, true}) {
            if (dither)
                glEnable(GL_DITHER);
            else
                glDisable(GL_DITHER);
            glDisable(GL_DEPTH_TEST);
            glMatrixMode(GL_MODELVIEW);
            glRotatef(30.0f, 0, 0, 1);
            glMatrixMode(GL_PROJECTION);
            view->doBackground(capture);
            GLint mode = 0;
            glGetIntegerv(GL_MATRIX_MODE, &mode);
            EXPECT_EQ(mode, GL_MODELVIEW);
            float modelview[16];
            glGetFloatv(GL_MODELVIEW_MATRIX, modelview);
            for (int i = 0; i < 16; ++i)
                EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0f : 0.0f);
            EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
            EXPECT_FALSE(glIsEnabled(GL_BLEND));
            EXPECT_EQ(glIsEnabled(GL_DITHER), dither ? GL_TRUE : GL_FALSE);
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
    }
}

TEST_F(BackgroundZoomTest, OffMeansNoOpenGLCallAtAll)
{
    auto view = startView(kW, kH, [](InkspinView& v) { v.gZoomBackground = 0; });
    glMatrixMode(GL_TEXTURE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    for (bool capture : {false, true})
        view->doBackground(capture);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

} // namespace
