// What the drawn lattice looks like on screen: flat bands of the shade colour, ink along the silhouette, the
// background colour everywhere else; and the camera's intro and swing.
#include "tests/common/TestEnvironment.h"

#include <GL/gl.h>

#include <cmath>
#include <numbers>
#include <set>

namespace {

constexpr int kWidth = 200;
constexpr int kHeight = 150;

const Pixel kBackground = kDefaultBackground;

void ZoomOff(InkspinView& view) { view.gZoomBackground = 0; }

class CartoonRenderTest : public ViewTest {
protected:
    // Past the intro, where the lattice fills much of the screen.
    std::unique_ptr<InkspinView> openedView(void (*configure)(InkspinView&) = ZoomOff)
    {
        auto view = startView(kWidth, kHeight, configure);
        for (int i = 0; i < 7; ++i)
            frame(*view, 255);
        EXPECT_EQ(view->gFadeIsReady, 1);
        return view;
    }

    struct Census {
        int background = 0, outline = 0, band[3] = {0, 0, 0}, other = 0;
        int bareSilhouette = 0; // object pixels next to background with no ink between them
        int objectEdges = 0;
    };

    Census census(const RGBColour& shade)
    {
        const std::vector<Pixel> image = pixels();
        Census c;
        for (int y = 0; y < kHeight; ++y) {
            for (int x = 0; x < kWidth; ++x) {
                const Pixel& p = image[y * kWidth + x];
                const PixelKind kind = Classify(p, shade);
                const bool backgroundNext = x + 1 < kWidth && image[y * kWidth + x + 1] == kBackground;
                switch (kind) {
                case PixelKind::Background:
                    ++c.background;
                    break;
                case PixelKind::Outline:
                    ++c.outline;
                    break;
                case PixelKind::Shade:
                    ++c.band[ShadeBand(p, shade)];
                    c.bareSilhouette += backgroundNext;
                    break;
                case PixelKind::Other:
                    ++c.other;
                    break;
                }
                c.objectEdges += kind != PixelKind::Background && backgroundNext;
            }
        }
        return c;
    }
};

TEST_F(CartoonRenderTest, FlatBandsInkedSilhouetteBackgroundElsewhere)
{
    auto view = openedView();
    const Census c = census(view->gShadeColor);
    EXPECT_EQ(c.other, 0) << "every pixel is background, ink or a shade band";
    EXPECT_GT(c.band[0] + c.band[1] + c.band[2], kWidth * kHeight / 4);
    EXPECT_GT(c.band[1], 0);
    EXPECT_GT(c.band[2], 0);
    EXPECT_GT(c.outline, 0);
    EXPECT_GT(c.objectEdges, 50);
    EXPECT_LT(c.bareSilhouette * 20, c.objectEdges) << "the silhouette is inked";
}

TEST_F(CartoonRenderTest, OutlinesOffLeavesNoInk)
{
    auto view = openedView();
    view->gDrawOutlines = 0;
    frame(*view, 1);
    const Census c = census(view->gShadeColor);
    EXPECT_EQ(c.outline, 0);
    EXPECT_EQ(c.other, 0);
    EXPECT_GT(c.bareSilhouette, 0);
}

TEST_F(CartoonRenderTest, NewShadeColourShowsAtTheNextFrameWithoutRebuild)
{
    auto view = openedView();
    const std::uint32_t texture = view->gShadeTexture;
    view->gShadeColor = {0.2f, 0.9f, 0.4f};
    frame(*view, 1);
    EXPECT_EQ(view->gShadeTexture, texture);
    const Census c = census(view->gShadeColor);
    EXPECT_EQ(c.other, 0);
    EXPECT_GT(c.band[1] + c.band[2], 0);
}

TEST_F(CartoonRenderTest, RampLevelsGiveManyShades)
{
    auto view = openedView([](InkspinView& v) {
        v.gZoomBackground = 0;
        v.gDrawOutlines = 0;
        v.gShadeLevels = 32;
        v.gShadeStartPosition = 0;
        v.gShadeEndPosition = 32;
        v.gShadeStartIntensity = 0.0f;
        v.gShadeColor = {1, 1, 1};
    });
    std::set<int> greys;
    for (const Pixel& p : pixels())
        if (!(p == kBackground))
            greys.insert(p.r);
    EXPECT_GT(greys.size(), 12u);
}

TEST_F(CartoonRenderTest, UnreadableSettingsStillDrawSomethingDefined)
{
    auto view = openedView([](InkspinView& v) {
        v.gZoomBackground = 0;
        v.gShadeColor = {NAN, 0.5f, INFINITY};
        v.gOutlineColor = {NAN, NAN, NAN};
        v.gOutlineWidth = NAN;
        v.gBackgroundColor = {-1.0f, 2.0f, NAN};
    });
    const std::vector<Pixel> image = pixels();
    EXPECT_EQ(image[0].r, 0); // the background clamps, NaN counting as 0
}

TEST_F(CartoonRenderTest, IntroGrowsTheLatticeOutOfAPoint)
{
    auto view = startView(kWidth, kHeight, ZoomOff);
    frame(*view, 1);
    EXPECT_GT(view->gPerAngle, InkspinView::kInitialPerAngle);
    int object = 0;
    for (const Pixel& p : pixels())
        object += p == kBackground ? 0 : 1;
    EXPECT_LT(object, kWidth * kHeight / 50) << "at a field of view near 180 degrees the lattice is a dot";

    // Through the intro: it ends on the first frame at or past 3 pi / 2, and the swing goes on without a jump.
    float previousFov = 0.0f;
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        const std::uint8_t wasReady = view->gFadeIsReady;
        frame(*view, 10);
        float projection[16];
        glGetFloatv(GL_PROJECTION_MATRIX, projection);
        const float fov = static_cast<float>(2.0 * std::atan(1.0 / projection[5]) * 180.0 / std::numbers::pi);
        if (!wasReady && view->gFadeIsReady) {
            EXPECT_GE(view->gPerAngle, 4.71238899230957f);
            EXPECT_LT(view->gPerAngle - 10 * 0.002f, 4.71238899230957f);
            frame(*view, 10);
            glGetFloatv(GL_PROJECTION_MATRIX, projection);
            const float next = static_cast<float>(2.0 * std::atan(1.0 / projection[5]) * 180.0 / std::numbers::pi);
            EXPECT_NEAR(next, fov, 0.05f) << "the normal swing takes over at 119 degrees";
            EXPECT_NEAR(fov, 119.0f, 0.05f);
            ended = true;
        }
        previousFov = fov;
    }
    EXPECT_TRUE(ended);
    EXPECT_LT(previousFov, 120.0f);
    object = 0;
    for (const Pixel& p : pixels())
        object += p == kBackground ? 0 : 1;
    EXPECT_GT(object, kWidth * kHeight / 3) << "by the end of the intro the lattice fills much of the screen";
}

TEST_F(CartoonRenderTest, ZeroTicksRedrawTheSameImage)
{
    auto view = openedView();
    frame(*view, 3);
    const std::vector<Pixel> before = pixels();
    const float angle = view->gRotAngle;
    frame(*view, 0); // 256 ticks wrap to a count of 0
    EXPECT_EQ(view->gRotAngle, angle);
    EXPECT_TRUE(before == pixels());
}

} // namespace
