// The sheet's slider on Qt: a QSlider with its value shown beside it.
//
// QSlider travels in integer steps, so the knob moves on a fixed grid of 10^-decimals (0.01 for two decimals,
// 1 for none) between `minimum` and `maximum`, all set from the sheet's description. The value itself is kept
// apart from the knob: a value set from outside reads back bit for bit (a hand-edited 0.333 or 40 stays 0.333 or
// 40, its knob shown at the nearest grid step inside the range), and only the user moving the knob replaces it
// with a grid value. Every default of the settings lies on the grid. A user's move is the slider's action (`sent`);
// setting a value never sends it.
//
// The value shows beside the knob with its unit (`suffix`: "×", " px"), in a label as wide as the range's longest
// value (or the sheet's widest, setValueWidth) and never wider: a stored value outside the range (levels 999, a
// width of 3e38) shows marked with "!" and a tooltip that says so, shortened to that width. The slider takes keyboard
// focus through its knob.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QString>
#include <QWidget>

class QLabel;
class QSlider;

class SheetSlider : public QWidget, public Slider {
    Q_OBJECT
    Q_PROPERTY(double minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(double maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int decimals READ decimals WRITE setDecimals)
    Q_PROPERTY(QString suffix READ suffix WRITE setSuffix)
public:
    explicit SheetSlider(QWidget* parent = nullptr);

    float floatValue() const override { return static_cast<float>(value_); }
    void setFloatValue(float value) override { setValue(value); }
    int intValue() const override;
    void setIntValue(int value) override { setValue(value); }
    void setEnabled(bool enabled) override { QWidget::setEnabled(enabled); }
    bool isEnabled() const override { return QWidget::isEnabled(); }

    double minimum() const { return minimum_; }
    void setMinimum(double minimum);
    double maximum() const { return maximum_; }
    void setMaximum(double maximum);
    int decimals() const { return decimals_; }
    void setDecimals(int decimals); // 0 to 4
    QString suffix() const { return suffix_; }
    void setSuffix(const QString& suffix);
    // The text beside the knob, and whether the value lies outside the slider's range (marked).
    QString valueText() const;
    bool outOfRange() const;

    // The width the value beside the knob needs, and the width it takes (at least that): a sheet gives all its
    // sliders the widest, so that their knobs end in one column.
    int valueWidth() const;
    void setValueWidth(int width);

    // The knob, for tests and keyboard focus.
    QSlider* knob() const { return knob_; }

signals:
    void sent();

private:
    void setValue(double value);
    void knobMoved(int step);
    void placeKnob();
    void showValue();
    double stepsPerUnit() const;

    QSlider* knob_;
    QLabel* label_;
    double value_ = 0.0;
    double minimum_ = 0.0;
    double maximum_ = 1.0;
    int decimals_ = 2;
    int valueWidth_ = 0;
    QString suffix_;
    bool placing_ = false; // the knob is being moved to show a value set from outside
};
