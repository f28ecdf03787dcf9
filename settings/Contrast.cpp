#include "settings/Contrast.h"

#include <algorithm>
#include <cmath>

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * Linear(rgb.redF()) + 0.7152 * Linear(rgb.greenF()) + 0.0722 * Linear(rgb.blueF());
}

} // namespace

double ContrastRatio(const QColor& first, const QColor& second)
{
    const double a = Luminance(first), b = Luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor ReadableOn(const QColor& text, const QColor& background, double ratio)
{
    const QColor toward = Luminance(background) > 0.18 ? QColor(Qt::black) : QColor(Qt::white);
    const QColor start = text.toRgb();
    for (int step = 0; step <= 20; ++step) {
        const double t = step / 20.0;
        const auto mix = [t](float from, float to) { return static_cast<float>(from + (to - from) * t); };
        const QColor mixed = QColor::fromRgbF(mix(start.redF(), toward.redF()), mix(start.greenF(), toward.greenF()),
                                              mix(start.blueF(), toward.blueF()));
        if (ContrastRatio(mixed, background) >= ratio)
            return mixed;
    }
    return toward;
}
