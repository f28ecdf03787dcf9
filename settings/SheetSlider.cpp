#include "settings/SheetSlider.h"

#include "support/numeric/Truncate.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The mouse wheel moves the knob only when it has focus: otherwise it scrolls the sheet, which would change every
// slider that passes under the pointer.
class Knob : public QSlider {
public:
    Knob() : QSlider(Qt::Horizontal) { setFocusPolicy(Qt::StrongFocus); } // the wheel gives it no focus
    void wheelEvent(QWheelEvent* event) override
    {
        if (hasFocus())
            QSlider::wheelEvent(event);
        else
            event->ignore(); // on to the scroll area
    }
};

} // namespace

SheetSlider::SheetSlider(QWidget* parent) : QWidget(parent), knob_(new Knob), label_(new QLabel)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(knob_, 1);
    layout->addWidget(label_);
    label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    setFocusProxy(knob_); // a label's buddy, Tab and the keyboard reach the knob
    connect(knob_, &QSlider::valueChanged, this, &SheetSlider::knobMoved);
    placeKnob();
}

int SheetSlider::intValue() const { return inkspin::TruncateToInt32(value_); }

void SheetSlider::setMinimum(double minimum)
{
    minimum_ = minimum;
    placeKnob();
}

void SheetSlider::setMaximum(double maximum)
{
    maximum_ = maximum;
    placeKnob();
}

void SheetSlider::setDecimals(int decimals)
{
    decimals_ = std::clamp(decimals, 0, 4);
    placeKnob();
}

void SheetSlider::setSuffix(const QString& suffix)
{
    suffix_ = suffix;
    showValue();
}

bool SheetSlider::outOfRange() const { return !(value_ >= minimum_ && value_ <= maximum_); } // NaN included

QString SheetSlider::valueText() const
{
    if (!outOfRange())
        return QString::number(value_, 'f', decimals_) + suffix_;
    return QStringLiteral("!") + QString::number(value_, 'g', 4) + suffix_;
}

int SheetSlider::valueWidth() const
{
    // As wide as the widest value of the range (knob positions never move the knob's end).
    const QFontMetrics metrics = label_->fontMetrics();
    return 2 + std::max({metrics.horizontalAdvance(QString::number(minimum_, 'f', decimals_) + suffix_),
                         metrics.horizontalAdvance(QString::number(maximum_, 'f', decimals_) + suffix_),
                         metrics.horizontalAdvance(QStringLiteral("!0.00") + suffix_)});
}

void SheetSlider::setValueWidth(int width)
{
    valueWidth_ = width;
    showValue();
}

void SheetSlider::showValue()
{
    const int width = std::max(valueWidth(), valueWidth_);
    label_->setFixedWidth(width);
    label_->setText(label_->fontMetrics().elidedText(valueText(), Qt::ElideRight, width));
    const QString outside = outOfRange()
        ? tr("The stored value, %1, lies outside this slider's range (%2 to %3). It is kept unless you move the knob.")
              .arg(QString::number(value_, 'g', 9), QString::number(minimum_), QString::number(maximum_))
        : QString();
    label_->setToolTip(outside);
    knob_->setToolTip(outside); // none: the slider's own tooltip shows
}

double SheetSlider::stepsPerUnit() const { return std::pow(10.0, decimals_); }

void SheetSlider::setValue(double value)
{
    value_ = value;
    placeKnob();
}

void SheetSlider::placeKnob()
{
    const double scale = stepsPerUnit();
    const int low = inkspin::TruncateToInt32(std::round(minimum_ * scale));
    const int high = std::max(low, inkspin::TruncateToInt32(std::round(maximum_ * scale)));
    // NaN sits at the low end; anything past the range at its nearest end.
    const double step = std::isnan(value_) ? low : std::clamp(std::round(value_ * scale), double(low), double(high));
    placing_ = true;
    knob_->setRange(low, high);
    knob_->setPageStep(std::max(1, (high - low) / 10));
    knob_->setValue(static_cast<int>(step));
    placing_ = false;
    showValue();
}

void SheetSlider::knobMoved(int step)
{
    if (placing_)
        return;
    // 60 steps of 0.01 read back (as a float) as exactly the float nearest to 0.6, as 0.6f is.
    value_ = step / stepsPerUnit();
    showValue();
    emit sent();
}
