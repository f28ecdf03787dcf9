// The settings sheet as a user works it: loaded from the embedded description into real Qt widgets (offscreen),
// knobs moved and boxes clicked through Qt, Save and Cancel pressed, the preferences file read back as text.
#include "tests/common/TestEnvironment.h"

#include "platform/IniText.h"
#include "saver/SettingOptions.h"
#include "settings/SheetCheckbox.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetLoader.h"
#include "settings/SheetSlider.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTimer>

#include <cmath>
#include <fstream>
#include <functional>
#include <limits>
#include <set>

namespace {

std::string Golden(const char* name) { return ReadFile(std::filesystem::path(INKSPIN_GOLDEN_DIR) / name); }

class ConfigurationSheetTest : public ViewTest {
protected:
    void SetUp() override
    {
        ViewTest::SetUp();
        SheetLoaderInstall();
    }
    void TearDown() override
    {
        sheet.reset();
        view.reset();
        InterfaceSetLoader({});
        ViewTest::TearDown();
    }

    // A sheet for a new view of the preferences file `text`.
    void open(const std::string& text = "")
    {
        std::filesystem::create_directories(config_->preferencesFile().parent_path());
        std::ofstream(config_->preferencesFile()) << text;
        view = makeView();
        reopen();
    }
    void reopen()
    {
        sheet.reset(dynamic_cast<QDialog*>(view->configureSheet()));
        ASSERT_NE(sheet, nullptr);
    }
    // What the user does: a knob moved to a step of its grid, a box clicked, a button pressed.
    static void move(Slider* slider, int step) { dynamic_cast<SheetSlider&>(*slider).knob()->setValue(step); }
    static void click(Checkbox* box) { dynamic_cast<SheetCheckbox&>(*box).click(); }
    void press(const char* button) { sheet->findChild<QPushButton*>(button)->click(); }
    std::string savedFile() const { return ReadFile(config_->preferencesFile()); }

    std::unique_ptr<InkspinView> view;
    std::unique_ptr<QDialog> sheet;
};

// Each control of the sheet's description names its row of the options table ("option"): changing that control
// alone and saving changes exactly that row's keys, so a control tied to the wrong row, or a controller that writes
// one control's value under another's key, shows here.
TEST_F(ConfigurationSheetTest, EachControlSavesTheKeysOfTheRowItNames)
{
    const auto defaults = IniTopLevelValues(Golden("preferences-defaults.conf"));
    const auto control = [this](const std::string& name) -> QWidget* {
        for (QWidget* widget : sheet->findChildren<QWidget*>())
            if (widget->property("option").toString().toStdString() == name)
                return widget;
        return nullptr;
    };
    int controls = 0;
    for (const OptionSpec& row : SettingOptions()) {
        SCOPED_TRACE(row.name);
        open();
        QWidget* widget = control(row.name);
        ASSERT_NE(widget, nullptr) << "no control of the sheet names it";
        if (auto* box = dynamic_cast<SheetCheckbox*>(widget)) {
            box->click();
        } else if (auto* slider = dynamic_cast<SheetSlider*>(widget)) {
            QSlider* knob = slider->knob();
            knob->setValue(knob->value() + (knob->value() > knob->minimum() ? -1 : 1)); // a step: no other moves
        } else {
            dynamic_cast<ColorWell&>(*widget).setColor({0.01f, 0.02f, 0.03f});
        }
        press("saveButton");
        std::set<std::string> changed;
        for (const auto& [key, value] : IniTopLevelValues(savedFile()))
            if (defaults.at(key) != value)
                changed.insert(key);
        EXPECT_EQ(changed, std::set<std::string>(row.keys, row.keys + (row.kind == OptionKind::Colour ? 3 : 1)));
        ++controls;
    }
    EXPECT_EQ(controls, 12);
}

// The sheet opens with the stored values; those a slider or well cannot show are kept and marked, and never widen
// the sheet. Saving them unchanged writes them back bit for bit.
TEST_F(ConfigurationSheetTest, OpensWithTheFieldsMarksWhatItCannotShowAndWritesThemBackExactly)
{
    open();
    sheet->show();
    const int width = sheet->width();
    open(Golden("preferences-custom.conf")); // every value off its default: extremes, off the grid, out of range
    EXPECT_FALSE(view->backgroundZoomCheckbox->state());
    EXPECT_FALSE(view->backgroundZoomSlider->isEnabled());
    EXPECT_TRUE(view->backgroundColorWell->isEnabled());
    EXPECT_FALSE(view->outlinesWidthSlider->isEnabled());
    EXPECT_FALSE(view->outlinesColorWell->isEnabled());
    auto& levels = dynamic_cast<SheetSlider&>(*view->shadeLevelsSlider);
    EXPECT_EQ(levels.intValue(), -3) << "shown as stored, below the slider's range";
    EXPECT_EQ(levels.minimum(), 1.0) << "no levels that paint black";
    sheet->show();
    EXPECT_EQ(sheet->width(), width) << "no value widens the sheet";
    EXPECT_TRUE(levels.outOfRange() && levels.valueText().startsWith('!')) << levels.valueText().toStdString();
    EXPECT_FALSE(dynamic_cast<SheetSlider&>(*view->shadeEndIntensitySlider).outOfRange());
    EXPECT_TRUE(dynamic_cast<SheetColorWell&>(*view->shadeColorWell).outOfRange());
    press("saveButton");
    EXPECT_FALSE(sheet->isVisible()) << "Save ends the sheet";
    EXPECT_EQ(view->gSettingsChanged, 1);
    EXPECT_EQ(view->gGenerateNewShade, 0);
    // All eighteen keys as the file spelled them: the fields it loaded into write back bit for bit.
    EXPECT_EQ(savedFile(), Golden("preferences-custom.conf"));
    auto reloaded = makeView();
    EXPECT_EQ(reloaded->gBufferScale, 1.2345678f);
    EXPECT_TRUE(reloaded->gBackgroundColor.b == 0.0f && std::signbit(reloaded->gBackgroundColor.b));
    EXPECT_EQ(reloaded->gBackgroundColor.g, 1e-38f);
    EXPECT_EQ(reloaded->gShadeColor.r, -3.4028235e38f);
    EXPECT_EQ(reloaded->gShadeStartPosition, std::numeric_limits<std::int32_t>::min());
}

// A Save that cannot store the settings says so in the sheet, which stays open with what the user set; the view goes
// on showing what is stored. Once the way is clear, Save stores them and ends the sheet.
TEST_F(ConfigurationSheetTest, AFailedSaveKeepsTheSheetOpenAndSaysWhy)
{
    namespace fs = std::filesystem;
    const fs::path folder = config_->preferencesFile().parent_path();
    open();
    move(view->shadeLevelsSlider, 5);
    sheet->show();
    fs::remove_all(folder), std::ofstream(folder.string()); // a file where the folder belongs
    press("saveButton");
    EXPECT_TRUE(sheet->isVisible()) << "the sheet stays";
    const auto* message = sheet->findChild<QLabel*>("messageLabel");
    EXPECT_TRUE(message->isVisible());
    EXPECT_NE(message->text().toStdString().find(folder.string()), std::string::npos) << message->text().toStdString();
    EXPECT_EQ(view->shadeLevelsSlider->intValue(), 5) << "the controls keep what the user set";
    EXPECT_EQ(view->gShadeLevels, 1) << "the view keeps showing what is stored";
    EXPECT_EQ(view->gSettingsChanged, 0);
    fs::remove(folder);
    press("saveButton");
    EXPECT_FALSE(sheet->isVisible()) << "once the way is clear, Save stores and ends the sheet";
    EXPECT_EQ(makeView()->gShadeLevels, 5);
}

TEST_F(ConfigurationSheetTest, OnlyTheFiveShadeParametersRebuildTheShadeTexture)
{
    struct Case {
        const char* what;
        std::function<void(InkspinView&)> change;
        bool rebuilds;
    };
    const Case cases[] = {
        {"shade colour", [](InkspinView& v) { dynamic_cast<SheetColorWell&>(*v.shadeColorWell).pickColor(Qt::green); }, false},
        {"outline width", [](InkspinView& v) { move(v.outlinesWidthSlider, 500); }, false},
        {"zoom", [](InkspinView& v) { click(v.backgroundZoomCheckbox); }, false},
        {"levels", [](InkspinView& v) { move(v.shadeLevelsSlider, 2); }, true},
        {"start position", [](InkspinView& v) { move(v.shadeStartPositionSlider, 5); }, true},
        {"end position", [](InkspinView& v) { move(v.shadeEndPositionSlider, 21); }, true},
        {"start intensity", [](InkspinView& v) { move(v.shadeStartIntensitySlider, 50); }, true},
        {"end intensity", [](InkspinView& v) { move(v.shadeEndIntensitySlider, 90); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        open();
        c.change(*view);
        press("saveButton");
        EXPECT_EQ(view->gGenerateNewShade, c.rebuilds ? 1 : 0);
        EXPECT_EQ(view->gSettingsChanged, 1);
    }
    EXPECT_EQ(view->gShadeEndIntensity, 0.9f) << "a knob's grid step reads back as the float it stands for";
}

TEST_F(ConfigurationSheetTest, CheckboxesEnableTheirControlsAndPositionsKeepTheirOrder)
{
    open();
    click(view->outlinesWidthCheckbox);
    EXPECT_FALSE(view->outlinesWidthSlider->isEnabled() || view->outlinesColorWell->isEnabled());
    EXPECT_TRUE(view->backgroundZoomSlider->isEnabled());
    click(view->backgroundZoomCheckbox);
    EXPECT_FALSE(view->backgroundZoomSlider->isEnabled());
    EXPECT_TRUE(view->backgroundColorWell->isEnabled());
    click(view->outlinesWidthCheckbox);
    EXPECT_TRUE(view->outlinesWidthSlider->isEnabled() && view->outlinesColorWell->isEnabled());
    move(view->shadeStartPositionSlider, 25);
    EXPECT_EQ(view->shadeEndPositionSlider->intValue(), 25);
    move(view->shadeEndPositionSlider, 3);
    EXPECT_EQ(view->shadeStartPositionSlider->intValue(), 3);

    // A file with the start beyond the end opens with both at the start; saving stores that and rebuilds.
    open("[General]\nInkspinShadeStartPosition=25\nInkspinShadeEndPosition=10\n");
    EXPECT_EQ(view->gShadeEndPosition, 10);
    EXPECT_EQ(view->shadeEndPositionSlider->intValue(), 25);
    press("saveButton");
    EXPECT_EQ(view->gShadeEndPosition, 25);
    EXPECT_EQ(view->gGenerateNewShade, 1);
}

TEST_F(ConfigurationSheetTest, DefaultsTouchOnlyTheControlsUntilSaved)
{
    open(Golden("preferences-custom.conf"));
    const std::string before = savedFile();
    press("defaultsButton");
    EXPECT_TRUE(view->backgroundZoomSlider->isEnabled());
    press("cancelButton");
    EXPECT_EQ(savedFile(), before);
    EXPECT_EQ(view->gShadeLevels, -3);
    EXPECT_EQ(view->gSettingsChanged, 0);

    reopen();
    press("defaultsButton");
    press("saveButton");
    EXPECT_EQ(savedFile(), Golden("preferences-defaults.conf"));
}

TEST_F(ConfigurationSheetTest, ColoursArriveAsRGBAndUnconvertibleOnesKeepTheField)
{
    open();
    dynamic_cast<SheetColorWell&>(*view->backgroundColorWell).pickColor(QColor::fromHsvF(0.3f, 0.0f, 0.5f)); // grey
    dynamic_cast<SheetColorWell&>(*view->outlinesColorWell).pickColor(QColor::fromCmykF(0.0f, 1.0f, 1.0f, 0.0f));
    auto& shade = dynamic_cast<SheetColorWell&>(*view->shadeColorWell);
    // While the dialog is open, the colour under the pointer is the well's (the preview shows it); Cancel puts the
    // exact colour back.
    float whilePicking = 0.0f;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        dialog->setCurrentColor(Qt::blue);
        whilePicking = shade.color()->blue;
        dialog->reject();
    });
    shade.click();
    EXPECT_EQ(whilePicking, 1.0f);
    EXPECT_EQ(shade.color()->green, 0.85f);
    shade.pickColor(QColor(shade.shownColor().rgb())); // OK in the dialog without a change: the exact value stays
    EXPECT_EQ(shade.color()->green, 0.85f);
    shade.pickColor(QColor()); // no RGB form
    press("saveButton");
    EXPECT_NEAR(view->gBackgroundColor.r, 0.5f, 1e-4f); // through Qt's 16-bit channels
    EXPECT_EQ(view->gBackgroundColor.g, view->gBackgroundColor.r);
    EXPECT_EQ(view->gBackgroundColor.b, view->gBackgroundColor.r);
    EXPECT_EQ(view->gOutlineColor.r, 1.0f);
    EXPECT_EQ(view->gOutlineColor.g, 0.0f);
    EXPECT_EQ(view->gShadeColor.g, 0.85f);
}

TEST_F(ConfigurationSheetTest, ZoomCheckboxShowsTheLiveChoiceUntilTheNextFrame)
{
    view = startView(64, 48);
    reopen();
    move(view->backgroundZoomSlider, 300);
    click(view->backgroundZoomCheckbox);
    press("saveButton");
    // The file gets the pending choices; the live ones change at the next frame.
    EXPECT_NE(savedFile().find("InkspinBackgroundEnabled=false\nInkspinBackgroundScale=3\n"), std::string::npos);
    EXPECT_EQ(view->gBufferScale, 2.0f);
    reopen();
    EXPECT_TRUE(view->backgroundZoomCheckbox->state());
    frame(*view);
    reopen();
    EXPECT_FALSE(view->backgroundZoomCheckbox->state());
}

} // namespace
