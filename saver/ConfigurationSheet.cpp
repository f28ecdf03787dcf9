// The settings sheet's controller: opening fills the controls from the settings fields, Save copies them back,
// raises the change flags the frame loop picks up and stores the preferences; Cancel only ends the sheet; Defaults
// fills the controls with the built-in defaults and touches no field. The controls themselves are abstract
// (platform/InterfaceObjects.h), so this file is the same on every toolkit.
#include "saver/InkspinView.h"

#include "saver/HomePage.h"
#include "saver/InkspinDefaults.h"

#include <array>
#include <tuple>

namespace {

constexpr const char* kSheetName = "Inkspin";

WellColour ToWell(const RGBColour& c) { return {c.r, c.g, c.b}; }

void SetState(Checkbox* box, bool on)
{
    if (box != nullptr)
        box->setState(on);
}

void SetFloat(Slider* slider, float value)
{
    if (slider != nullptr)
        slider->setFloatValue(value);
}

void SetInt(Slider* slider, int value)
{
    if (slider != nullptr)
        slider->setIntValue(value);
}

void SetColour(ColorWell* well, const RGBColour& colour)
{
    if (well != nullptr)
        well->setColor(ToWell(colour));
}

void SetEnabled(Control* control, bool enabled)
{
    if (control != nullptr)
        control->setEnabled(enabled);
}

// Save reads every control; a control the sheet lacks leaves its field as it was.
void ReadState(const Checkbox* box, std::uint8_t* field)
{
    if (box != nullptr)
        *field = box->state() ? 1 : 0;
}

void ReadFloat(const Slider* slider, float* field)
{
    if (slider != nullptr)
        *field = slider->floatValue();
}

void ReadInt(const Slider* slider, std::int32_t* field)
{
    if (slider != nullptr)
        *field = slider->intValue();
}

// A colour with no RGB form (a pattern, say) keeps the field's previous colour rather than storing garbage.
void ReadColour(const ColorWell* well, RGBColour* field)
{
    if (well == nullptr)
        return;
    if (const std::optional<WellColour> c = well->color())
        *field = {c->red, c->green, c->blue};
}

template <typename Kind>
bool Connect(InterfaceObject* object, Kind** outlet)
{
    Kind* typed = dynamic_cast<Kind*>(object);
    if (typed == nullptr)
        return false;
    *outlet = typed;
    return true;
}

} // namespace

SheetWindow* InkspinView::configureSheet()
{
    // Outlets of an earlier opening may point into a window its owner has removed since: forget them, so that a
    // sheet that fails to load fills nothing and returns nothing.
    settingsWindow = nullptr;
    backgroundColorWell = outlinesColorWell = shadeColorWell = nullptr;
    backgroundZoomCheckbox = outlinesWidthCheckbox = nullptr;
    backgroundZoomSlider = outlinesWidthSlider = shadeLevelsSlider = nullptr;
    shadeStartIntensitySlider = shadeStartPositionSlider = shadeEndIntensitySlider = shadeEndPositionSlider = nullptr;
    linkView = nullptr;

    InterfaceLoadNamed(kSheetName, *this);

    // The zoom controls show the live fields, not a choice still waiting for the next frame.
    SetState(backgroundZoomCheckbox, gZoomBackground != 0);
    SetFloat(backgroundZoomSlider, gBufferScale);
    SetColour(backgroundColorWell, gBackgroundColor);

    SetState(outlinesWidthCheckbox, gDrawOutlines != 0);
    SetFloat(outlinesWidthSlider, gOutlineWidth);
    SetColour(outlinesColorWell, gOutlineColor);

    SetInt(shadeLevelsSlider, gShadeLevels);
    SetInt(shadeEndPositionSlider, gShadeEndPosition);
    SetFloat(shadeEndIntensitySlider, gShadeEndIntensity);
    SetInt(shadeStartPositionSlider, gShadeStartPosition);
    SetFloat(shadeStartIntensitySlider, gShadeStartIntensity);
    SetColour(shadeColorWell, gShadeColor);

    if (linkView != nullptr)
        linkView->setURLString(InkspinHomePage::kURL);

    backgroundZoomCheckboxClicked(nullptr);
    outlinesWidthCheckboxClicked(nullptr);
    shadeStartPositionSliderMoved(nullptr);
    return settingsWindow;
}

void InkspinView::takeSheetValues()
{
    ReadState(backgroundZoomCheckbox, &gNewZoomBackground);
    ReadFloat(backgroundZoomSlider, &gNewBufferScale);
    ReadColour(backgroundColorWell, &gBackgroundColor);

    // Disabled controls count like enabled ones: switching the outlines off keeps the width and colour shown.
    ReadFloat(outlinesWidthSlider, &gOutlineWidth);
    ReadState(outlinesWidthCheckbox, &gDrawOutlines);
    ReadColour(outlinesColorWell, &gOutlineColor);

    // The shade texture is rebuilt only when one of its five parameters changed; compared before any is written,
    // floats exactly. The shade colour is applied while drawing and takes no part.
    std::int32_t levels = gShadeLevels, startPosition = gShadeStartPosition, endPosition = gShadeEndPosition;
    float startIntensity = gShadeStartIntensity, endIntensity = gShadeEndIntensity;
    ReadInt(shadeLevelsSlider, &levels);
    ReadInt(shadeStartPositionSlider, &startPosition);
    ReadFloat(shadeStartIntensitySlider, &startIntensity);
    ReadInt(shadeEndPositionSlider, &endPosition);
    ReadFloat(shadeEndIntensitySlider, &endIntensity);
    if (levels != gShadeLevels || startPosition != gShadeStartPosition || startIntensity != gShadeStartIntensity
        || endPosition != gShadeEndPosition || endIntensity != gShadeEndIntensity)
        gGenerateNewShade = 1;
    gShadeLevels = levels;
    gShadeStartPosition = startPosition;
    gShadeStartIntensity = startIntensity;
    gShadeEndPosition = endPosition;
    gShadeEndIntensity = endIntensity;
    ReadColour(shadeColorWell, &gShadeColor);

    gSettingsChanged = 1;
}

void InkspinView::saveSettings(InterfaceObject*)
{
    // What a failed save must leave as it was.
    const auto before = std::tuple(gNewZoomBackground, gNewBufferScale, gBackgroundColor, gOutlineWidth, gDrawOutlines,
                                   gOutlineColor, gShadeLevels, gShadeStartPosition, gShadeStartIntensity,
                                   gShadeEndPosition, gShadeEndIntensity, gShadeColor, gGenerateNewShade,
                                   gSettingsChanged);
    takeSheetValues();
    // Where the settings cannot be stored the sheet stays open and says why, the controls keeping what the user
    // set: closing it would tell the user their settings were kept when the next start will not see them.
    std::string reason;
    if (!savePrefs(&reason)) {
        std::tie(gNewZoomBackground, gNewBufferScale, gBackgroundColor, gOutlineWidth, gDrawOutlines, gOutlineColor,
                 gShadeLevels, gShadeStartPosition, gShadeStartIntensity, gShadeEndPosition, gShadeEndIntensity,
                 gShadeColor, gGenerateNewShade, gSettingsChanged) = before;
        if (settingsWindow != nullptr)
            settingsWindow->showSaveFailure(reason);
        return;
    }
    if (settingsWindow != nullptr)
        settingsWindow->endSheet();
}

void InkspinView::cancelSettings(InterfaceObject*)
{
    if (settingsWindow != nullptr)
        settingsWindow->endSheet();
}

void InkspinView::defaultSettings(InterfaceObject*)
{
    namespace D = InkspinDefaults;
    SetState(backgroundZoomCheckbox, D::kZoomBackground);
    SetFloat(backgroundZoomSlider, D::kBufferScale);
    SetColour(backgroundColorWell, D::kBackgroundColor);
    backgroundZoomCheckboxClicked(nullptr);

    SetState(outlinesWidthCheckbox, D::kDrawOutlines);
    SetFloat(outlinesWidthSlider, D::kOutlineWidth);
    SetColour(outlinesColorWell, D::kOutlineColor);
    outlinesWidthCheckboxClicked(nullptr);

    SetInt(shadeLevelsSlider, D::kShadeLevels);
    SetInt(shadeEndPositionSlider, D::kShadeEndPosition);
    SetFloat(shadeEndIntensitySlider, D::kShadeEndIntensity);
    SetInt(shadeStartPositionSlider, D::kShadeStartPosition);
    SetFloat(shadeStartIntensitySlider, D::kShadeStartIntensity);
    SetColour(shadeColorWell, D::kShadeColor);
    shadeStartPositionSliderMoved(nullptr);
}

void InkspinView::backgroundZoomCheckboxClicked(InterfaceObject*)
{
    if (backgroundZoomCheckbox != nullptr)
        SetEnabled(backgroundZoomSlider, backgroundZoomCheckbox->state());
}

void InkspinView::outlinesWidthCheckboxClicked(InterfaceObject*)
{
    if (outlinesWidthCheckbox == nullptr)
        return;
    const bool on = outlinesWidthCheckbox->state();
    SetEnabled(outlinesWidthSlider, on);
    SetEnabled(outlinesColorWell, on);
}

void InkspinView::shadeStartPositionSliderMoved(InterfaceObject*)
{
    if (shadeStartPositionSlider == nullptr || shadeEndPositionSlider == nullptr)
        return;
    const float start = shadeStartPositionSlider->floatValue();
    if (start > shadeEndPositionSlider->floatValue())
        shadeEndPositionSlider->setFloatValue(start);
}

void InkspinView::shadeEndPositionSliderMoved(InterfaceObject*)
{
    if (shadeStartPositionSlider == nullptr || shadeEndPositionSlider == nullptr)
        return;
    const float end = shadeEndPositionSlider->floatValue();
    if (end < shadeStartPositionSlider->floatValue())
        shadeStartPositionSlider->setFloatValue(end);
}

bool InkspinView::connectOutlet(std::string_view name, InterfaceObject* object)
{
    if (name == "settingsWindow")
        return Connect(object, &settingsWindow);
    if (name == "linkView")
        return Connect(object, &linkView);
    const std::array<std::pair<std::string_view, Checkbox**>, 2> checkboxes = {{
        {"backgroundZoomCheckbox", &backgroundZoomCheckbox},
        {"outlinesWidthCheckbox", &outlinesWidthCheckbox},
    }};
    const std::array<std::pair<std::string_view, Slider**>, 7> sliders = {{
        {"backgroundZoomSlider", &backgroundZoomSlider},
        {"outlinesWidthSlider", &outlinesWidthSlider},
        {"shadeLevelsSlider", &shadeLevelsSlider},
        {"shadeStartIntensitySlider", &shadeStartIntensitySlider},
        {"shadeStartPositionSlider", &shadeStartPositionSlider},
        {"shadeEndIntensitySlider", &shadeEndIntensitySlider},
        {"shadeEndPositionSlider", &shadeEndPositionSlider},
    }};
    const std::array<std::pair<std::string_view, ColorWell**>, 3> wells = {{
        {"backgroundColorWell", &backgroundColorWell},
        {"outlinesColorWell", &outlinesColorWell},
        {"shadeColorWell", &shadeColorWell},
    }};
    for (const auto& [outlet, field] : checkboxes)
        if (name == outlet)
            return Connect(object, field);
    for (const auto& [outlet, field] : sliders)
        if (name == outlet)
            return Connect(object, field);
    for (const auto& [outlet, field] : wells)
        if (name == outlet)
            return Connect(object, field);
    return false;
}

bool InkspinView::performAction(std::string_view name, InterfaceObject* sender)
{
    using Action = void (InkspinView::*)(InterfaceObject*);
    static constexpr std::array<std::pair<std::string_view, Action>, 7> kActions = {{
        {"saveSettings:", &InkspinView::saveSettings},
        {"cancelSettings:", &InkspinView::cancelSettings},
        {"defaultSettings:", &InkspinView::defaultSettings},
        {"backgroundZoomCheckbox:", &InkspinView::backgroundZoomCheckboxClicked},
        {"outlinesWidthCheckbox:", &InkspinView::outlinesWidthCheckboxClicked},
        {"shadeStartPositionSlider:", &InkspinView::shadeStartPositionSliderMoved},
        {"shadeEndPositionSlider:", &InkspinView::shadeEndPositionSliderMoved},
    }};
    for (const auto& [action, method] : kActions) {
        if (name == action) {
            (this->*method)(sender);
            return true;
        }
    }
    return false;
}
