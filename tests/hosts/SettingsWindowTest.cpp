// The settings window on a real X server (Xvfb, xcb platform): its preview draws the lattice, and a colour saved
// from the Options sheet shows in the preview's next frame and in the preferences file.
#include "tests/common/TestEnvironment.h"

#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/SettingsWindow.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetLoader.h"

#include <QPushButton>
#include <QTest>


namespace {

// Share of the preview's pixels of each kind, with the lattice in `shade`.
std::map<PixelKind, double> Census(PreviewWidget& preview, const RGBColour& shade)
{
    const QImage image = preview.grabFramebuffer().convertToFormat(QImage::Format_RGB888);
    std::map<PixelKind, double> share;
    const double total = double(image.width()) * image.height();
    for (int y = 0; y < image.height(); ++y) {
        const uchar* row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            share[Classify({row[3 * x], row[3 * x + 1], row[3 * x + 2]}, shade)] += 1.0 / total;
    }
    return share;
}

bool WaitForFrames(PreviewWidget& preview, long frames)
{
    return QTest::qWaitFor([&] { return preview.framesDrawn() >= frames; }, 10000);
}

TEST(SettingsWindowTest, PreviewShowsTheLatticeAndASavedColourAtTheNextFrame)
{
    TemporaryConfigHome config;
    config.writePreferences("InkspinBackgroundEnabled=false\n"); // flat background: every pixel is classified
    SheetLoaderInstall();
    SettingsWindow window;
    window.resize(480, 360);
    window.show();
    PreviewWidget& preview = *window.preview();
    ASSERT_TRUE(WaitForFrames(preview, 60)) << "the preview draws at the view's interval";
    std::map<PixelKind, double> before = Census(preview, kDefaultShade);
    EXPECT_GT(before[PixelKind::Shade], 0.05);
    EXPECT_GT(before[PixelKind::Outline], 0.005);
    EXPECT_GT(before[PixelKind::Background], 0.05);
    EXPECT_LT(before[PixelKind::Other], 0.05);

    window.optionsButton()->click();
    ASSERT_NE(window.sheet(), nullptr);
    InkspinView& view = preview.view();
    const RGBColour green = {0.2f, 0.9f, 0.3f};
    dynamic_cast<SheetColorWell&>(*view.shadeColorWell).setColor({green.r, green.g, green.b});
    const long saved = preview.framesDrawn();
    window.sheet()->findChild<QPushButton*>("saveButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.sheet() == nullptr; }, 5000)) << "Save ends the sheet";
    ASSERT_TRUE(WaitForFrames(preview, saved + 2));
    std::map<PixelKind, double> after = Census(preview, green);
    EXPECT_GT(after[PixelKind::Shade], 0.05);
    EXPECT_LT(after[PixelKind::Other], 0.05);
    EXPECT_NE(ReadFile(config.preferencesFile()).find("InkspinShadeColorGreen=0.9\n"), std::string::npos);

    window.close();
    EXPECT_FALSE(preview.started()) << "closing the window stops the view";
}

} // namespace
