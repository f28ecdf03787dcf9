// The interface objects a saver's settings sheet is made of, as the saver sees them: abstract controls with just the
// operations a sheet needs (a state, a value, a colour, an enabled state, ending the sheet). The portable core works
// on these; a toolkit layer (settings/ and linkview/, on Qt) defines the real widgets behind them, and the interface
// loader (InterfaceLoader.h) makes them from a description file. The saver never creates or frees one: the window
// that holds them owns them, and whoever shows the window owns the window.
#pragma once

#include <optional>
#include <string>

// Every object an interface description can connect to an outlet.
class InterfaceObject {
public:
    virtual ~InterfaceObject() = default;
};

// A control that can be switched off: disabled controls still hold and report their value.
class Control : public InterfaceObject {
public:
    virtual void setEnabled(bool enabled) = 0;
    virtual bool isEnabled() const = 0;
};

// A two-state checkbox: on or off.
class Checkbox : public Control {
public:
    virtual bool state() const = 0;
    virtual void setState(bool on) = 0;
};

// A slider with one numeric value. The value set is the value read back, bit for bit, until the user moves the knob
// (whatever the range or resolution of the knob's travel); intValue truncates toward zero, saturating at the 32-bit
// range (NaN gives 0).
class Slider : public Control {
public:
    virtual float floatValue() const = 0;
    virtual void setFloatValue(float value) = 0;
    virtual int intValue() const = 0;
    virtual void setIntValue(int value) = 0;
};

// Red, green and blue on a 0 to 1 scale, as the well holds them.
struct WellColour {
    float red;
    float green;
    float blue;
};

// A colour well: a button showing its colour, which lets the user pick another. A colour given with setColor reads
// back exactly; a colour the user picked in another model (grey, HSV, CMYK) reads back as its RGB components.
class ColorWell : public Control {
public:
    // Nothing when the well holds a colour that has no RGB form.
    virtual std::optional<WellColour> color() const = 0;
    virtual void setColor(const WellColour& colour) = 0;
};

// The sheet's window. endSheet tells whoever shows it that the sheet is over; the window itself stays alive until
// that owner removes it.
class SheetWindow : public InterfaceObject {
public:
    virtual void endSheet() = 0;
    // Says, in the sheet, that its settings could not be saved and why (one line naming the file); the sheet stays.
    virtual void showSaveFailure(const std::string& message) = 0;
};

// What the sheet needs of its hyperlink: the URL it shows and opens; nothing shows nothing and ignores clicks.
class LinkTarget : public InterfaceObject {
public:
    virtual void setURLString(const std::optional<std::string>& url) = 0;
};
