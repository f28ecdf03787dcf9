// The zoom-feedback background: its geometry at sizes the golden frames do not cover, switching it off and on while
// running, and a buffer that cannot be had. The OpenGL state it leaves behind shows in the golden frames.
#include "tests/common/TestEnvironment.h"

#include "saver/ZoomGeometry.h"
#include "support/memory/MemoryPoolTesting.h"

#include <GL/gl.h>

#include <array>
#include <limits>

namespace {

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
        {768, 1024, 2.0f, 128, 320, 448, 1.0f, -384, 1152, -384, 1408}, // tall: the capture is 128 rows at most
        {1280, 854, 1.5f, 85, 576, 384, 0.6671875f, -320, 1600, -213, 1067},
        {1024, 768, 0.5f, 96, 448, 336, 0.75f, 256, 768, 192, 576},
        {100, 80, 2.0f, 102, -14, -11, 0.8f, -50, 150, -40, 120}, // narrower than the capture
    };
    for (const Row& r : rows) {
        const ZoomGeometry g = ComputeZoomGeometry(r.w, r.h, r.scale);
        EXPECT_EQ(g.captureHeight, r.captureH) << r.w << "x" << r.h;
        EXPECT_EQ(std::make_pair(g.captureX, g.captureY), std::make_pair(r.x, r.y)) << r.w << "x" << r.h;
        EXPECT_FLOAT_EQ(g.topTexCoord, r.t);
        EXPECT_EQ((std::array{g.x0, g.x1, g.y0, g.y1}), (std::array{r.x0, r.x1, r.y0, r.y1})) << r.w << "x" << r.h;
    }
    // Factors no slider gives: a NaN draws an empty rectangle, huge ones saturate instead of overflowing.
    const ZoomGeometry nan = ComputeZoomGeometry(1024, 768, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(nan.x1 - nan.x0, 0);
    const ZoomGeometry huge = ComputeZoomGeometry(1024, 768, std::numeric_limits<float>::infinity());
    EXPECT_EQ(huge.x0, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(huge.y1, std::numeric_limits<std::int32_t>::max());
}

class BackgroundZoomTest : public ViewTest {
protected:
    static void apply(InkspinView& view, bool zoom, float scale = 2.0f)
    {
        view.gNewZoomBackground = zoom;
        view.gNewBufferScale = scale;
        view.gSettingsChanged = 1;
    }
};

TEST_F(BackgroundZoomTest, SwitchingOffAndOnWhileRunning)
{
    auto view = startView(320, 240);
    frame(*view, 1);
    const std::size_t blocks = MemoryLiveBlockCount();
    const Pixel zoomed = pixels()[0];
    EXPECT_LT(zoomed.r, kDefaultBackground.r) << "the capture darkens the background";

    apply(*view, false);
    frame(*view, 1);
    EXPECT_EQ(view->gBufferPixels, nullptr);
    EXPECT_FALSE(glIsTexture(view->gBackTexture));
    EXPECT_EQ(MemoryLiveBlockCount(), blocks - 1);
    EXPECT_EQ(pixels()[0], kDefaultBackground) << "a flat background";

    apply(*view, true, 1.0f);
    frame(*view, 1);
    EXPECT_EQ(view->gBufferScale, 1.0f);
    EXPECT_EQ(pixels()[0], kDefaultBackground) << "the first image after switching on is blank, not heap garbage";
    frame(*view, 1);
    EXPECT_EQ(pixels()[0], zoomed) << "from the next frame on, the capture shows";

    // A buffer that cannot be had leaves the zoom off, the choice kept for the next save.
    apply(*view, false);
    frame(*view, 1);
    apply(*view, true);
    MemorySetFailAfter(0);
    frame(*view, 1);
    MemorySetFailAfter(-1);
    EXPECT_EQ(view->gZoomBackground, 0);
    EXPECT_EQ(view->gNewZoomBackground, 1);
    frame(*view, 1);
    EXPECT_EQ(pixels()[0], kDefaultBackground);
}

} // namespace
