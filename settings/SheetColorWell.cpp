#include "settings/SheetColorWell.h"

#include <QColorDialog>
#include <QPainter>

#include <algorithm>

SheetColorWell::SheetColorWell(QWidget* parent) : QPushButton(parent)
{
    setMinimumSize(44, 24);
    connect(this, &QPushButton::clicked, this, &SheetColorWell::openDialog);
}

std::optional<WellColour> SheetColorWell::color() const
{
    if (exact_)
        return exact_;
    if (!shown_.isValid())
        return std::nullopt;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    shown_.toRgb().getRgbF(&red, &green, &blue);
    return WellColour{red, green, blue};
}

void SheetColorWell::setColor(const WellColour& colour)
{
    exact_ = colour;
    // Shown within what a screen can show; the stored value stays as it was given (NaN included).
    auto shown = [](float v) { return v == v ? std::clamp(v, 0.0f, 1.0f) : 0.0f; };
    shown_ = QColor::fromRgbF(shown(colour.red), shown(colour.green), shown(colour.blue));
    update();
    emit colourChanged();
}

void SheetColorWell::pickColor(const QColor& colour)
{
    // The dialog works in 8 bits a channel: OK on the colour it was opened with is no change, and must not round
    // the exact value (0.52 would come back 0.52156866).
    if (exact_ && colour.isValid() && colour.toRgb().rgba() == shown_.toRgb().rgba())
        return;
    exact_.reset();
    shown_ = colour;
    update();
    emit colourChanged();
}

void SheetColorWell::openDialog()
{
    const QColor picked = QColorDialog::getColor(shown_, this, toolTip());
    if (picked.isValid()) // an invalid result means the dialog was cancelled
        pickColor(picked);
}

void SheetColorWell::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 5, -6, -5);
    painter.setPen(palette().color(QPalette::Mid));
    QColor fill = shown_.isValid() ? shown_.toRgb() : QColor(Qt::transparent);
    if (!isEnabled())
        fill.setAlphaF(0.35f);
    painter.setBrush(fill);
    painter.drawRect(swatch);
}
