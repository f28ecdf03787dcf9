#include "settings/SheetSlider.h"

#include "support/numeric/Truncate.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>

#include <algorithm>
#include <cmath>

SheetSlider::SheetSlider(QWidget* parent) : QWidget(parent), knob_(new QSlider(Qt::Horizontal)), label_(new QLabel)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(knob_, 1);
    layout->addWidget(label_);
    // Wide enough for "-16.00" and "10.00" alike, so the knob does not jump as the text changes.
    label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QStringLiteral("-00.00")));
    label_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
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
    label_->setText(QString::number(value_, 'f', decimals_));
}

void SheetSlider::knobMoved(int step)
{
    if (placing_)
        return;
    // 60 steps of 0.01 read back (as a float) as exactly the float nearest to 0.6, as 0.6f is.
    value_ = step / stepsPerUnit();
    label_->setText(QString::number(value_, 'f', decimals_));
    emit sent();
}
