// InkspinView: the saver. It owns an OpenGL child view, and on every start loads the lattice, builds its arrays and
// the shade texture; on every frame it advances the animation clock in whole ticks of 1/67 s, applies settings saved
// from the settings sheet, and draws the zoom background and the spinning, cel-shaded, ink-outlined lattice.
//
// Life cycle (all on the host's main thread): initWithFrame -> setFrameSize -> startAnimation -> animateOneFrame ...
// -> stopAnimation -> (startAnimation ...). A start whose loading fails leaves the view idle: frames draw nothing.
// Each stop releases everything the start made (textures, module, arrays, zoom buffer).
//
// Fields are public because the settings sheet, the preferences and the renderer's parts all work on them; their
// order and meaning are the saver's data model. Flags hold 0 (NO) or 1 (YES). Colours and intensities are 0..1.
#pragma once

#include "platform/InterfaceLoader.h"
#include "platform/OpenGLView.h"
#include "platform/ScreenSaverView.h"
#include "saver/RGBColour.h"
#include "support/data/ObjectFormat.h"
#include "support/data/Vector3.h"

#include <cstdint>
#include <string>

struct ModelViewMatrix {
    float v[16]; // OpenGL's column-major order: v[4 * column + row]
};

class InkspinView : public ScreenSaverView, public InterfaceOwner {
public:
    // Settings sheet references (outlets), filled when the sheet is loaded, each named as the sheet's description
    // names its control; the sheet's window owns them. Cleared at every opening, so a sheet that fails to load
    // leaves none behind (the previous window may be gone by then).
    SheetWindow* settingsWindow = nullptr;
    ColorWell* backgroundColorWell = nullptr;
    Checkbox* backgroundZoomCheckbox = nullptr;
    Slider* backgroundZoomSlider = nullptr;
    ColorWell* outlinesColorWell = nullptr;
    Checkbox* outlinesWidthCheckbox = nullptr;
    Slider* outlinesWidthSlider = nullptr;
    ColorWell* shadeColorWell = nullptr;
    Slider* shadeLevelsSlider = nullptr;
    Slider* shadeStartIntensitySlider = nullptr;
    Slider* shadeStartPositionSlider = nullptr;
    Slider* shadeEndIntensitySlider = nullptr;
    Slider* shadeEndPositionSlider = nullptr;
    LinkTarget* linkView = nullptr;

    OpenGLView* gInkspinView = nullptr;   // the child view; owned by this view's subview list
    std::uint8_t gIsPreview = 0;
    std::uint8_t gPrefsLoaded = 0;
    std::uint8_t gIsInitialized = 0;      // object, arrays and shade texture ready: frames draw only then
    std::uint8_t gZoomBackground = 0;     // zoom background active: pixel buffer and back texture exist
    std::uint8_t gFadeIsReady = 0;        // the camera's intro is over
    std::uint8_t gSettingsChanged = 0;    // saved settings wait for the next frame
    std::uint8_t gNewZoomBackground = 0;  // zoom choice from the sheet, pending
    std::uint8_t gDrawOutlines = 0;
    std::uint8_t gGenerateNewShade = 0;   // a shade parameter changed: rebuild the shade texture
    std::uint8_t* gBufferPixels = nullptr; // zoom capture: 128 x 128 RGB bytes, a pool block
    float gBufferScale = 0.0f;            // zoom factor in use
    float gNewBufferScale = 0.0f;         // zoom factor from the sheet, pending
    float gOutlineWidth = 0.0f;           // pixels
    float gShadeStartIntensity = 0.0f;
    float gShadeEndIntensity = 0.0f;
    float gRotAngle = 0.0f;               // spin, degrees
    float gPerAngle = 0.0f;               // field-of-view phase, radians
    std::int32_t gShadeLevels = 0;
    std::int32_t gShadeStartPosition = 0; // first texel of the shade texture's middle region
    std::int32_t gShadeEndPosition = 0;   // one past its last texel
    ModelViewMatrix gModelView = {};
    std::uint32_t gShadeTexture = 0;      // 1D shade texture, in the child view's context
    std::uint32_t gBackTexture = 0;       // 2D zoom texture, in the child view's context
    Vector3* gInkspinVertexArray = nullptr; // pool block
    Vector3* gInkspinNormalArray = nullptr; // pool block
    std::uint8_t gObjectClass = 0;        // id of the object module holding the lattice; 0 = none
    VertexArrayObject gInkspinObj = {};
    VertexArrayObject* gInkspinObject = nullptr; // &gInkspinObj
    double gTime = 0.0;                   // animation clock, wall-clock seconds advanced in whole ticks
    RGBColour gBackgroundColor = {};
    RGBColour gOutlineColor = {};
    RGBColour gShadeColor = {};

    // One animation tick, 1/67 s as a single-precision value widened to double: the host's frame interval too.
    static constexpr double kAnimationInterval = static_cast<double>(1.0f / 67.0f);
    static constexpr double kTicksPerSecond = 67.0;
    static constexpr const char* kModuleName = "Inkspin Saver - Objects";
    static constexpr float kVertexScale = 0.1f;
    static constexpr float kInitialPerAngle = 1.5707964f;

    ~InkspinView() override;

    // Host operations.
    bool initWithFrame(Rect frame, bool isPreview) override;
    void setFrameSize(Size newSize) override;
    void startAnimation() override;
    void stopAnimation() override;
    void drawRect(Rect rect) override;
    void animateOneFrame() override;
    bool hasConfigureSheet() override { return true; }
    SheetWindow* configureSheet() override;

    // Settings sheet (opened by configureSheet). The actions take the sending control, which they never use; the
    // description names them as "saveSettings:", "cancelSettings:", "defaultSettings:", "backgroundZoomCheckbox:",
    // "outlinesWidthCheckbox:", "shadeStartPositionSlider:" and "shadeEndPositionSlider:".
    void saveSettings(InterfaceObject* sender);
    // The first half of a Save: the controls' values into the fields (and the flags that make the next frame apply
    // them), nothing stored. A host with a live preview calls it at every change in the sheet.
    void takeSheetValues();
    void cancelSettings(InterfaceObject* sender);
    void defaultSettings(InterfaceObject* sender);
    // Keep dependent controls consistent: the zoom slider follows its checkbox; the outline width and colour follow
    // theirs; moving one shade-position slider past the other moves the other along.
    void backgroundZoomCheckboxClicked(InterfaceObject* sender);
    void outlinesWidthCheckboxClicked(InterfaceObject* sender);
    void shadeStartPositionSliderMoved(InterfaceObject* sender);
    void shadeEndPositionSliderMoved(InterfaceObject* sender);

    bool connectOutlet(std::string_view name, InterfaceObject* object) override;
    bool performAction(std::string_view name, InterfaceObject* sender) override;

    // Start-up.
    void initInkspin();
    void initGL();

    // Preferences: loaded once per view, at creation; saved by the settings sheet. A save that fails returns false
    // with one line naming the file and the reason.
    void loadPrefs();
    bool savePrefs(std::string* reason = nullptr);

    // Cartoon renderer.
    void doMakeShadeTexture();
    void doNormalize(Vector3* vector);
    float doLighting(const Vector3* vector);
    float doCalcShadow(Vector3* normal);
    void doDrawObjectCartoonStyle();
    void renderInkspin(std::uint8_t ticks);

    // Zoom-feedback background.
    void setNewBuffer();
    void doBackground(bool capture);

private:
    bool makeCurrentContext();
    // Everything a start made but the shade texture: zoom buffer and texture, module, arrays.
    void releaseStartResources(bool contextIsCurrent);
};
