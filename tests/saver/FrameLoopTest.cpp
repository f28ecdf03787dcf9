// The view's life cycle and frame loop on a real headless context and a clock the test moves: whole ticks, clock
// jumps, releasing what a start took, failed starts. What frames look like is the golden frames' business.
#include "tests/common/TestEnvironment.h"

#include "platform/FrameRateOverlay.h"
#include "platform/HostDriver.h"

#include "support/data/ObjectModule.h"
#include "support/memory/MemoryPoolTesting.h"
#include "support/video/ScreenGeometry.h"

#include <GL/gl.h>
#include <unistd.h>

#include <cmath>
#include <utility>

namespace {

class FrameLoopTest : public ViewTest {};

TEST_F(FrameLoopTest, TicksAdvanceTheClockInWholeTicksAndJumpsStayDefined)
{
    auto view = startView(160, 120, [](InkspinView& v) { v.gZoomBackground = 0; }); // no feedback between frames
    ASSERT_TRUE(view->gIsInitialized);
    const double start = view->gTime;
    clock_->set(start + 0.010);
    view->animateOneFrame();
    EXPECT_EQ(view->gTime, start) << "less than a tick: nothing happens";
    EXPECT_FALSE(view->frameWasDrawn()) << "and a host must not present it";

    clock_->set(start + 0.1); // 6.7 ticks
    view->animateOneFrame();
    EXPECT_DOUBLE_EQ(view->gTime, start + 6 * InkspinView::kAnimationInterval) << "the rest carries over";
    EXPECT_FLOAT_EQ(view->gRotAngle, 6 * 0.3f);
    EXPECT_TRUE(view->frameWasDrawn());

    const double before = view->gTime;
    clock_->set(before + 4.000002); // 268 ticks, of which the low 8 bits count
    view->animateOneFrame();
    EXPECT_DOUBLE_EQ(view->gTime, before + 12 * InkspinView::kAnimationInterval);
    EXPECT_FLOAT_EQ(view->gRotAngle, 18 * 0.3f);

    const std::vector<Pixel> image = pixels();
    frame(*view, 0); // 256 ticks wrap to a count of 0: the same picture again
    EXPECT_FLOAT_EQ(view->gRotAngle, 18 * 0.3f);
    EXPECT_TRUE(image == pixels());

    const float angle = view->gRotAngle;
    clock_->set(view->gTime - 5.0); // set back
    view->animateOneFrame();
    EXPECT_NEAR(view->gTime, clock_->now(), 1e-6) << "the clock follows the wall clock back";
    EXPECT_EQ(view->gRotAngle, angle) << "and that call draws nothing";
    frame(*view, 1);
    EXPECT_FLOAT_EQ(view->gRotAngle, angle + 0.3f);
    clock_->set(1e12); // millennia ahead: far more ticks than an int holds
    view->animateOneFrame();
    EXPECT_TRUE(std::isfinite(view->gRotAngle));
}

// Several views in one process (one an output, of different shapes) share the screen geometry: another view sized
// between two frames must not change the picture, its perspective or where the zoom is captured.
TEST_F(FrameLoopTest, EachViewDrawsWithItsOwnShapeWhateverAnotherRecorded)
{
    std::vector<Pixel> alone;
    for (const bool another : {false, true}) {
        auto view = startView(160, 120);
        for (int i = 0; i < 4; ++i) {
            if (another)
                VideoSetWidth(90), VideoSetHeight(160); // a portrait output configured last
            frame(*view, 9);
        }
        if (another) {
            EXPECT_TRUE(pixels() == alone) << "drawn with the shape another view recorded";
        }
        alone = pixels();
    }
}

TEST_F(FrameLoopTest, EveryStartBeginsAfreshAndEveryStopGivesBackEverything)
{
    const std::size_t blocksBefore = MemoryLiveBlockCount();
    auto view = startView(160, 120);
    for (const Pixel& p : pixels())
        ASSERT_EQ(p, kDefaultBackground) << "the start clears to the background colour at once";
    EXPECT_EQ(ModuleCount(), 1u);
    for (int i = 0; i < 5; ++i)
        frame(*view, 7);
    config_->writePreferences("InkspinOutlinesWidth=9\n"); // must not be read by a restart
    for (int cycle = 0; cycle < 10000; ++cycle) {
        const GLuint shade = view->gShadeTexture, back = view->gBackTexture;
        view->stopAnimation();
        ASSERT_EQ(MemoryLiveBlockCount(), blocksBefore) << "a stop gives back every block, cycle " << cycle;
        ASSERT_EQ(ModuleCount(), 0u);
        ASSERT_FALSE(glIsTexture(shade) || glIsTexture(back)) << "cycle " << cycle;
        view->startAnimation();
        ASSERT_TRUE(view->gIsInitialized);
    }
    EXPECT_EQ(view->gRotAngle, 0.0f);
    EXPECT_EQ(view->gPerAngle, InkspinView::kInitialPerAngle);
    EXPECT_EQ(view->gFadeIsReady, 0);
    EXPECT_EQ(view->gOutlineWidth, 2.75f) << "preferences are read once, at creation";
}

TEST_F(FrameLoopTest, EveryFailedAllocationOfAStartLeavesTheViewIdleOrFlat)
{
    const std::size_t blocksBefore = MemoryLiveBlockCount();
    // The n-th allocation of a start fails, for every n until a start needs no more than n.
    for (long successes = 0;; ++successes) {
        ASSERT_LT(successes, 50);
        auto view = makeView({0, 0, 96, 64});
        view->setFrameSize({96, 64});
        MemorySetFailAfter(successes);
        view->startAnimation();
        MemorySetFailAfter(-1);
        const bool whole = view->gIsInitialized && view->gZoomBackground;
        const double time = view->gTime;
        frame(*view, 5);
        if (!view->gIsInitialized) {
            EXPECT_EQ(view->gTime, time) << "an idle view draws nothing";
            EXPECT_EQ(view->gShadeTexture + view->gBackTexture, 0u) << successes;
            EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore) << successes;
            EXPECT_EQ(ModuleCount(), 0u);
        } else if (!view->gZoomBackground) {
            EXPECT_EQ(pixels()[0], kDefaultBackground) << "no zoom buffer: a flat background";
        }
        view->stopAnimation();
        EXPECT_EQ(MemoryLiveBlockCount(), blocksBefore) << successes;
        view->startAnimation();
        EXPECT_TRUE(view->gIsInitialized) << "the next start succeeds after " << successes;
        view->stopAnimation();
        if (whole)
            break;
    }
}

TEST_F(FrameLoopTest, SevenSimulatedDaysStayFinite)
{
    auto view = startView(32, 24);
    // Seven simulated days of frames: single ticks, 255, counts that wrap, clocks set back, hour-long pauses.
    const double steps[] = {1.0 / 67 + 1e-6, 255.0 / 67, 256.0 / 67, 300.0 / 67, -5.0, 3600.0};
    for (int hour = 0; hour < 7 * 24; ++hour) {
        for (double seconds : steps) {
            clock_->set(view->gTime + seconds);
            view->animateOneFrame();
            for (float entry : view->gModelView.v)
                ASSERT_TRUE(std::isfinite(entry)) << "in simulated hour " << hour;
        }
    }
    EXPECT_TRUE(view->gIsInitialized);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << "every matrix pushed is popped: no stack overflows";
}

} // namespace

// A host's --delay: the next frame is due the longer of the delay and the view's own 1/67 s after this one; a host
// that fell behind (a stalled machine, a stopped process) goes on at that pace, never catching up in a burst.
TEST_F(FrameLoopTest, AHostsMinimumIntervalSpacesItsFrames)
{
    InkspinView view;
    HostDriver driver(view);
    ASSERT_TRUE(driver.start({0, 0, 32, 18}, false));
    for (const double delay : {0.0, 0.25}) {
        driver.setMinimumInterval(delay);
        driver.restart();
        driver.frame();
        const double wait = driver.secondsUntilNextFrame();
        EXPECT_LE(wait, std::max(delay, InkspinView::kAnimationInterval)) << delay;
        EXPECT_GT(wait, std::max(delay, InkspinView::kAnimationInterval) - 0.05) << delay;
    }
    usleep(600000); // two and a half frames behind
    driver.frame();
    driver.frame();
    EXPECT_GT(driver.secondsUntilNextFrame(), 0.2);
    driver.stop();
}

// The frame rate shown is the frames drawn over the last second or more of the wall clock.
TEST_F(FrameLoopTest, TheFrameRateCountsTheLastSecond)
{
    FrameRateOverlay overlay;
    EXPECT_EQ(overlay.text(), "FPS: -");
    double now = clock_->now();
    // Three seconds of each, in steps a double holds exactly; the last, two frames over each second and a half.
    for (const auto& [interval, shown] : {std::pair{0.0625, "FPS: 16.0"}, {0.125, "FPS: 8.0"}, {0.75, "FPS: 1.3"}}) {
        for (int i = 0; i < int(3.0 / interval); ++i) {
            clock_->set(now += interval);
            overlay.drawOver(160, 120);
        }
        EXPECT_EQ(overlay.text(), shown);
    }
}
