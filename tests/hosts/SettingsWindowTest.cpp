// The settings window on a real X server (Xvfb, xcb platform): its preview draws the lattice; a colour saved from the
// Options sheet shows in the preview's next frame and in the preferences file; changes in the sheet show before
// Save and go with Cancel; changes to the file show without a restart.
#include "tests/common/TestEnvironment.h"

#include "hosts/settings-app/FullScreenPreview.h"
#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/SettingsWindow.h"
#include "hosts/settings-app/ShownSettings.h"
#include "hosts/settings-app/XScreenSaverList.h"
#include "saver/SettingOptions.h"
#include "settings/Contrast.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetLoader.h"
#include "settings/SheetSlider.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

#include <fcntl.h>
#include <sys/stat.h>

#include <fstream>
#include <set>

namespace {

// Every `step`th pixel of every `step`th row.
std::vector<Pixel> Pixels(const QImage& image, int step = 1)
{
    std::vector<Pixel> pixels;
    for (int y = 0; y < image.height(); y += step)
        for (int x = 0; x < image.width(); x += step)
            pixels.push_back({qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))});
    return pixels;
}

std::vector<Pixel> Pixels(PreviewWidget& preview) { return Pixels(preview.grabFramebuffer()); }

// The preview draws the lattice. A change in the sheet shows in it before anything is stored, Cancel takes it back,
// Save stores it and keeps it. A change another program saves shows within about a second, and in the next sheet;
// an open sheet follows it while it has no edits, and with edits stays as it is and says so. Closing the window stops
// the view.
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
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview.framesDrawn() >= 60; }, 10000)) << "it draws at the view's pace";
    const std::vector<Pixel> before = Pixels(preview);
    EXPECT_GT(Share(before, PixelKind::Shade), 0.05);
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
    ASSERT_TRUE(QTest::qWaitFor([&, n = preview.framesDrawn()] { return preview.framesDrawn() > n + 2; }, 5000));
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
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview.view().shadeLevelsSlider->intValue() == 3; }, 3000))
        << "a sheet with no edits follows the file";
    // The zoom is on now (the file no longer turns it off), and the picture stays opaque: the zoom's alpha must not
    // reach the window, where a compositor shows the window's grey through it.
    ASSERT_TRUE(QTest::qWaitFor([&, n = preview.framesDrawn()] { return preview.framesDrawn() > n + 5; }, 5000));
    const QImage opaque = preview.grabFramebuffer();
    int seeThrough = 0;
    for (int y = 0; y < opaque.height(); ++y)
        for (int x = 0; x < opaque.width(); ++x)
            seeThrough += qAlpha(opaque.pixel(x, y)) != 255;
    EXPECT_EQ(seeThrough, 0);
    preview.view().shadeColorWell->setColor({0.2f, 0.9f, 0.3f});
    config.writePreferences("InkspinShadeLevels=4\n");
    const auto* message = window.sheet()->findChild<QLabel*>("messageLabel");
    EXPECT_TRUE(QTest::qWaitFor([&] { return message->isVisible(); }, 3000)) << "Save would replace it unannounced";
    EXPECT_EQ(preview.view().shadeLevelsSlider->intValue(), 3) << "a sheet with edits keeps them";
    window.sheet()->findChild<QPushButton*>("cancelButton")->click();
    std::filesystem::remove(config.preferencesFile());
    std::filesystem::create_directory(config.preferencesFile()); // a file that will not be read is said at once
    const auto* problem = window.findChild<QLabel*>("fileProblemLabel");
    EXPECT_TRUE(QTest::qWaitFor([&] { return problem->isVisible(); }, 3000));
    EXPECT_TRUE(problem->text().contains("not a regular file")) << problem->text().toStdString();

    window.close();
    EXPECT_FALSE(preview.started()) << "closing the window stops the view";
}

// The window as a keyboard user and a small screen meet it (this suite runs again at scale factor 2 on 1280x800):
// it fits the screen's available area with the sheet open and cuts no text; the sheet's first control has focus and
// Tab stops only on controls; every access key is unique and moves focus to its control; the sheet's controls take
// their words and ranges from the options table; every text reads at 4.5:1 on light and dark palettes.
TEST(SettingsWindowTest, FitsTheScreenAndEveryAccessKeyWorks)
{
    TemporaryConfigHome config;
    SheetLoaderInstall();
    SettingsWindow window;
    window.resizeWithinScreen({1120, 600});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    window.optionsButton()->click();
    QDialog& sheet = *window.sheet();
    QApplication::processEvents();
    const QRect screen = window.screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(window.frameGeometry())) << "fits " << screen.width() << "x" << screen.height();
    EXPECT_LE(sheet.width(), sheet.parentWidget()->width()) << "the sheet scrolls up and down only";
    for (QPushButton* button : window.findChildren<QPushButton*>())
        EXPECT_TRUE(!button->isVisible() || button->width() >= button->minimumSizeHint().width())
            << button->text().toStdString();
    for (SheetSlider* slider : sheet.findChildren<SheetSlider*>())
        EXPECT_EQ(slider->findChild<QLabel*>()->text(), slider->valueText()) << "a value cut short";
    EXPECT_EQ(QApplication::focusWidget(), sheet.findChild<QCheckBox*>("backgroundZoomCheckbox")) << "focus starts";
    // Whatever has focus is in sight, so that the next key changes nothing unseen.
    const auto inSight = [] { return !QApplication::focusWidget()->visibleRegion().isEmpty(); };
    for (int tab = 0; tab < 30; ++tab) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_TRUE(inSight() && !QApplication::focusWidget()->inherits("QScrollArea"));
    }

    // Access keys: unique in the whole window, and each label's moves focus to its control.
    std::set<QChar> letters;
    auto key = [](const QString& text) {
        const int at = text.indexOf('&');
        return at < 0 ? QChar() : text[at + 1].toLower();
    };
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const auto* label = qobject_cast<QLabel*>(widget);
        const QChar letter = key(button != nullptr ? button->text() : label != nullptr ? label->text() : QString());
        EXPECT_TRUE(letter.isNull() || !widget->isVisible() || letters.insert(letter).second)
            << "access key used twice: " << QString(letter).toStdString();
    }
    int labelled = 0;
    for (QLabel* label : sheet.findChildren<QLabel*>()) {
        if (label->buddy() == nullptr || !label->buddy()->isEnabled())
            continue;
        QTest::keyClick(QApplication::focusWidget(), key(label->text()).toLatin1(), Qt::AltModifier);
        QWidget* control = label->buddy()->focusProxy() != nullptr ? label->buddy()->focusProxy() : label->buddy();
        EXPECT_EQ(QApplication::focusWidget(), control) << label->text().toStdString();
        EXPECT_TRUE(inSight()) << label->text().toStdString();
        ++labelled;
        // Its words and range are its row's in the options table.
        const OptionSpec* option = FindSettingOption(label->buddy()->property("option").toString().toStdString());
        ASSERT_NE(option, nullptr) << label->text().toStdString();
        EXPECT_EQ(label->text().toStdString(), std::string(option->label) + ":");
        if (auto* slider = qobject_cast<SheetSlider*>(label->buddy())) {
            EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()), std::pair(option->low, option->high));
        }
    }
    EXPECT_EQ(labelled, 10);

    // The error message in its own colour reads at 4.5:1 or more on a light and a dark palette (the rest of the
    // text is in the palette's own colours).
    for (const QColor background : {QColor(0xef, 0xef, 0xef), QColor(0x32, 0x32, 0x32)}) {
        QPalette palette = QApplication::palette();
        palette.setColor(QPalette::Window, background);
        sheet.setPalette(palette);
        dynamic_cast<SheetWindow&>(sheet).showSaveFailure("a test");
        const auto* message = sheet.findChild<QLabel*>("messageLabel");
        EXPECT_GE(ContrastRatio(message->palette().color(QPalette::WindowText), background), 4.5);
        QApplication::processEvents();
        EXPECT_FALSE(message->visibleRegion().isEmpty()) << "the message shows where the user looks";
    }
    // The wheel over a slider without focus scrolls the sheet and leaves the slider as it was.
    QSlider* knob = sheet.findChildren<SheetSlider*>().first()->knob();
    knob->clearFocus();
    const int value = knob->value();
    QWheelEvent wheel(QPointF(5, 5), knob->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(knob, &wheel);
    EXPECT_EQ(knob->value(), value);
    // Help and the colour dialog fit the screen as well (Qt's own grow past it at scale factor 2).
    for (QAbstractButton* opener : std::initializer_list<QAbstractButton*>{
             window.findChild<QPushButton*>("helpButton"), sheet.findChildren<SheetColorWell*>().first()}) {
        QRect shown;
        QTimer::singleShot(500, [&] {
            if (QWidget* dialog = QApplication::activeModalWidget())
                shown = dialog->frameGeometry(), dialog->close();
        });
        opener->click();
        EXPECT_TRUE(screen.contains(shown)) << shown.width() << "x" << shown.height();
    }
}

// "Preview full screen" runs the saver itself over the whole screen with the sheet's settings, saved or not, until a
// key: the picture on the screen is the lattice in the unsaved shade colour, and a key ends the saver.
TEST(SettingsWindowTest, TheFullScreenPreviewShowsTheUnsavedSettings)
{
    TemporaryConfigHome config;
    const std::string binary = INKSPIN_BINARY;
    setenv("PATH", (binary.substr(0, binary.rfind('/')) + ":" + getenv("PATH")).c_str(), 1); // found on the PATH
    SheetLoaderInstall();
    SettingsWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.optionsButton()->click();
    const RGBColour green = {0.2f, 0.9f, 0.3f};
    window.preview()->view().shadeColorWell->setColor({green.r, green.g, green.b});
    window.findChild<QPushButton*>("fullScreenButton")->click();
    FullScreenPreview* full = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        full = full != nullptr ? full : qobject_cast<FullScreenPreview*>(widget);
    ASSERT_NE(full, nullptr);
    QPointer<FullScreenPreview> alive = full;
    auto screenPixels = [&] { return Pixels(window.screen()->grabWindow(0).toImage(), 2); };
    EXPECT_TRUE(QTest::qWaitFor([&] { return Share(screenPixels(), PixelKind::Shade, green) > 0.05; }, 10000))
        << "the lattice in the sheet's colour, over the screen";
    EXPECT_FALSE(std::filesystem::exists(config.preferencesFile())) << "nothing stored for it";
    QTest::keyClick(full, Qt::Key_Space);
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000)) << "a key ends it";
    window.sheet()->findChild<QPushButton*>("cancelButton")->click();
}

// Closing with edits asks first: Cancel keeps the window and the edits, Discard closes and stores nothing, Save
// stores them and closes. Closing without edits asks nothing. Ctrl+W closes as the close button does.
TEST(SettingsWindowTest, ClosingWithEditsAsksFirst)
{
    TemporaryConfigHome config;
    config.writePreferences("InkspinShadeLevels=2\n");
    SheetLoaderInstall();
    struct Case {
        QMessageBox::StandardButton answer;
        bool closed;
        const char* stored;
    };
    for (const Case c : {Case{QMessageBox::Cancel, false, "InkspinShadeLevels=2"},
                         Case{QMessageBox::Discard, true, "InkspinShadeLevels=2"},
                         Case{QMessageBox::Save, true, "InkspinShadeLevels=5"}}) {
        SettingsWindow window;
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        window.optionsButton()->click();
        dynamic_cast<SheetSlider&>(*window.preview()->view().shadeLevelsSlider).knob()->setValue(5);
        bool asked = false;
        QTimer::singleShot(200, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked = true;
                box->button(c.answer)->click();
            }
        });
        QTest::keyClick(window.sheet(), Qt::Key_W, Qt::ControlModifier);
        EXPECT_TRUE(asked);
        EXPECT_EQ(window.isVisible(), !c.closed) << c.stored;
        EXPECT_NE(ReadFile(config.preferencesFile()).find(c.stored), std::string::npos);
        if (window.isVisible()) {
            window.sheet()->findChild<QPushButton*>("cancelButton")->click();
            EXPECT_EQ(window.focusWidget(), window.optionsButton()) << "focus back where it was";
            EXPECT_TRUE(window.close()) << "no edits: nothing to ask";
        }
    }
}

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
    EXPECT_TRUE(shown.gGenerateNewShade && shown.gSettingsChanged) << "for the next frame, the shade texture too";
    std::filesystem::remove(config.preferencesFile());
    ASSERT_TRUE(shown.savePrefs());
    EXPECT_EQ(ReadFile(config.preferencesFile()), custom);
}

// The list edited is the one XScreenSaver's daemon uses (the last `programs:`, in any case, not one inside another
// line's continuation), Inkspin's entry going after its last entry so that nothing else moves; an entry there already
// is turned on and, when asked, pointed at the installed saver; a list that ends the file in a continuation stays
// one list; CR LF lines (which the daemon never continues) are refused.
TEST(XScreenSaverListTest, EditsTheListTheDaemonReadsAndNothingElse)
{
    const std::string system = "*mode: random\n*programs:\t\\\n\tmaze --root\t\\n\\\n- GL: glknots --root \\n\n\n";
    const std::string entry = "  GL: \t\t\t\tinkspin --root\t\t\t\t    ";
    const auto installed = [](const std::string& command) { return command.find('/') == std::string::npos; };
    struct Case {
        const char* what;
        std::string user;
        ListRequest request;
        std::string expected; // "" when refused
        int changed;          // 1 added, 2 turned on, 4 pointed at the installed saver, 8 left running another one
    };
    const Case cases[] = {
        {"no file", "", {}, "programs:\t\\\n\tmaze --root\t\\n\\\n- GL: glknots --root\\n\\\n" + entry + " \\n\n", 1},
        {"the last of three, one in a comment", "programs: a\nPrograms: b \\n\\\n c\n# \\\nprograms: x\n",
         {ListMode::Alone}, "programs: a\nPrograms: b \\n\\\n c\\n\\\n" + entry + "\n# \\\nprograms: x\nmode:\t\tone\n"
         "selected:\t\t2\n", 1},
        {"a list ended by a blank line, mode and selected set where read",
         "mode: one\nprograms: \\\n a \\n\\\n\\\n\nselected: 0\nselected: 5\n", {ListMode::Alone},
         "mode: one\nprograms: \\\n a\\n\\\n" + entry + " \\n\\\n\\\n\nselected: 0\nselected:\t\t1\n", 1},
        {"a continuation ending the file", "programs: a \\n\\\n", {ListMode::Alone},
         "programs: a\\n\\\n" + entry + " \\n\\\n\nmode:\t\tone\nselected:\t\t1\n", 1},
        {"a continuation ending the file without a line end", "programs: a \\n\\", {},
         "programs: a\\n\\\n" + entry + " \\n\\", 1},
        {"turned off, another binary", "programs: a \\n\\\n-  GL: /opt/inkspin --root \\n\n", {},
         "programs: a \\n\\\n   GL: /opt/inkspin --root \\n\n", 2 | 8},
        {"the same, pointed at the installed one", "programs: a \\n\\\n-  GL: /opt/inkspin --root \\n\n",
         {ListMode::Keep, true}, "programs: a \\n\\\n   GL: inkspin --root \\n\n", 2 | 4},
        {"there already, alone before: among the others now", "MODE: one\nselected: 0\nprograms: inkspin --root\n",
         {ListMode::AmongOthers}, "mode:\t\trandom\nselected: 0\nprograms: inkspin --root\n", 0},
        {"CR LF", "programs: a \\n\\\r\n b\r\n", {}, "", 0},
    };
    for (const Case& c : cases) {
        std::string result, error;
        ListChange change;
        const bool done = WithInkspinListed(c.user, system, c.request, installed, &result, &change, &error);
        EXPECT_EQ(done, !c.expected.empty()) << c.what << ": " << error;
        if (!done) {
            EXPECT_NE(error.find(std::string("  GL: inkspin --root \\n\\  ")), std::string::npos) << error;
            continue;
        }
        EXPECT_EQ(result, c.expected) << c.what;
        EXPECT_EQ(change.added | change.enabled << 1 | change.repointed << 2 | !change.elsewhere.empty() << 3,
                  c.changed) << c.what;
    }
}

} // namespace
