// The settings window on a real X server (Xvfb, xcb platform): its preview draws the lattice; a colour saved from the
// Options sheet shows in the preview's next frame and in the preferences file; changes in the sheet show before
// Save and go with Cancel; changes to the file show without a restart.
#include "tests/common/TestEnvironment.h"

#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/SettingsWindow.h"
#include "hosts/settings-app/ShownSettings.h"
#include "hosts/settings-app/XScreenSaverList.h"
#include "settings/SheetLoader.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>

namespace {

std::vector<Pixel> Pixels(PreviewWidget& preview)
{
    const QImage image = preview.grabFramebuffer().convertToFormat(QImage::Format_RGB888);
    std::vector<Pixel> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (const uchar* p = image.constScanLine(y); p < image.constScanLine(y) + 3 * image.width(); p += 3)
            pixels.push_back({p[0], p[1], p[2]});
    return pixels;
}

bool WaitForFrames(PreviewWidget& preview, long frames)
{
    return QTest::qWaitFor([&] { return preview.framesDrawn() >= frames; }, 10000);
}

// The preview draws the lattice. A change in the sheet shows in it before anything is stored, Cancel takes it back,
// Save stores it and keeps it. A change another program saves shows within about a second, and in the next sheet;
// a sheet already open stays as it is and says so. Closing the window stops the view.
TEST(SettingsWindowTest, ThePreviewFollowsTheSheetAndTheFile)
{
    TemporaryConfigHome config;
    config.writePreferences("InkspinBackgroundEnabled=false\n"); // flat background: every pixel is classified
    const std::string stored = ReadFile(config.preferencesFile());
    SheetLoaderInstall();
    SettingsWindow window;
    window.resize(480, 360);
    window.show();
    PreviewWidget& preview = *window.preview();
    ASSERT_TRUE(WaitForFrames(preview, 60)) << "the preview draws at the view's interval";
    const std::vector<Pixel> before = Pixels(preview);
    EXPECT_GT(Share(before, PixelKind::Shade), 0.05);
    EXPECT_GT(Share(before, PixelKind::Outline), 0.005);
    EXPECT_GT(Share(before, PixelKind::Background), 0.05);
    EXPECT_LT(Share(before, PixelKind::Other), 0.05);
    auto shows = [&](const RGBColour& shade) {
        return QTest::qWaitFor([&] { return Share(Pixels(preview), PixelKind::Shade, shade) > 0.05; }, 3000);
    };
    auto pickGreen = [&] {
        window.optionsButton()->click();
        preview.view().shadeColorWell->setColor({0.2f, 0.9f, 0.3f});
    };
    const RGBColour green = {0.2f, 0.9f, 0.3f};

    pickGreen();
    EXPECT_TRUE(shows(green)) << "the change shows before Save";
    EXPECT_EQ(ReadFile(config.preferencesFile()), stored) << "and nothing is stored";
    window.sheet()->findChild<QPushButton*>("cancelButton")->click();
    EXPECT_TRUE(shows(kDefaultShade)) << "Cancel puts the preview back";
    pickGreen();
    window.sheet()->findChild<QPushButton*>("saveButton")->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.sheet() == nullptr; }, 5000)) << "Save ends the sheet";
    EXPECT_NE(ReadFile(config.preferencesFile()).find("InkspinShadeColorGreen=0.9\n"), std::string::npos);
    const long saved = preview.framesDrawn();
    ASSERT_TRUE(WaitForFrames(preview, saved + 3));
    EXPECT_GT(Share(Pixels(preview), PixelKind::Shade, green), 0.05) << "and the preview keeps it";

    config.writePreferences("InkspinBackgroundEnabled=false\nInkspinShadeColorRed=0.1\nInkspinShadeColorGreen=0.4\n"
                            "InkspinShadeColorBlue=1\n"); // another program
    EXPECT_TRUE(shows({0.1f, 0.4f, 1.0f})) << "a change to the file shows in the preview";
    // Rewritten in place to the same length within the same second: still seen.
    struct stat first {};
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &first), 0);
    config.writePreferences("InkspinBackgroundEnabled=false\nInkspinShadeColorRed=0.9\nInkspinShadeColorGreen=0.4\n"
                            "InkspinShadeColorBlue=1\n");
    const timespec times[2] = {first.st_atim, {first.st_mtim.tv_sec, first.st_mtim.tv_nsec / 2 + 1}};
    ASSERT_EQ(utimensat(AT_FDCWD, config.preferencesFile().c_str(), times, 0), 0);
    EXPECT_TRUE(shows({0.9f, 0.4f, 1.0f})) << "a rewrite of the same length in the same second shows too";
    window.optionsButton()->click();
    EXPECT_EQ(preview.view().shadeColorWell->color()->green, 0.4f) << "and in the next sheet";
    config.writePreferences("InkspinShadeLevels=3\n");
    const auto* message = window.sheet()->findChild<QLabel*>("messageLabel");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message->isVisible(); }, 3000)) << "Save would replace it unannounced";
    EXPECT_EQ(preview.view().shadeColorWell->color()->green, 0.4f);

    window.close();
    EXPECT_FALSE(preview.started()) << "closing the window stops the view";
}

} // namespace

namespace {

// What the window puts back (Cancel, a file that changed) carries all eighteen settings: a view shown what a view
// loaded from a file with every value off its default saves that file again.
TEST(ShownSettingsTest, AllEighteenComeBack)
{
    TemporaryConfigHome config;
    const std::string custom = ReadFile(std::filesystem::path(INKSPIN_GOLDEN_DIR) / "preferences-custom.conf");
    std::filesystem::create_directories(config.preferencesFile().parent_path());
    std::ofstream(config.preferencesFile()) << custom;
    InkspinView shown;
    Show(shown, StoredSettings());
    std::filesystem::remove(config.preferencesFile());
    ASSERT_TRUE(shown.savePrefs());
    EXPECT_EQ(ReadFile(config.preferencesFile()), custom);
}

// Inkspin's entry goes after the last one of a user's list, so no entry changes its number, and every other line
// stays; a list that runs inkspin already is left alone; with no list, the system's is the start.
TEST(XScreenSaverListTest, InkspinGoesLastAndNothingElseMoves)
{
    const std::string system = "*mode: random\n*programs:\t\\\n\tmaze --root\t\\n\\\n- GL: glknots --root \\n\n\n";
    const std::string entry = "  GL: \t\t\t\tinkspin --root\t\t\t\t    \\n";
    struct Case {
        const char* what;
        std::string user, expected;
        bool select;
        int number;
    };
    const Case cases[] = {
        {"no file", "", "programs:\t\\\n\tmaze --root\t\\n\\\n- GL: glknots --root \\n\\\n" + entry + "\n", false, 2},
        {"a list ended by a blank line", "mode: one\nprograms: \\\n a \\n\\\n\\\n\nselected: 1\n",
         "mode:\t\tone\nprograms: \\\n a \\n\\\n\\\n" + entry + "\\\n\nselected:\t\t1\n", true, 1},
        {"no \\n after the last", "programs: a \\n b\ntimeout: 1\n",
         "programs: a \\n b\\n\\\n" + entry + "\ntimeout: 1\n", false, 2},
        {"inkspin already", "programs: a \\n -  \"Ink\" /usr/libexec/xscreensaver/inkspin --root \\n\n",
         "programs: a \\n -  \"Ink\" /usr/libexec/xscreensaver/inkspin --root \\n\n", false, 1},
    };
    for (const Case& c : cases) {
        std::string result, error;
        int number = -1;
        ASSERT_TRUE(WithInkspinListed(c.user, system, c.select, &result, &number, &error)) << c.what << error;
        EXPECT_EQ(result, c.expected) << c.what;
        EXPECT_EQ(number, c.number) << c.what;
    }
}

} // namespace
