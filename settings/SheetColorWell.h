// The sheet's colour well on Qt: a button filled with its colour; clicking it opens QColorDialog, and the colour
// under the user's pointer in the dialog is the well's (colourChanged) until OK keeps one or Cancel puts it back.
//
// A colour set from outside (setColor) is kept as its three floats and reads back exactly, even where Qt's own
// 16-bit colour could not hold it, and even after the dialog was closed with OK on that same colour. A colour the
// user picks replaces it and reads back as its RGB components, whatever model it was picked in (grey, HSV, CMYK);
// a colour with no RGB form reads back as nothing.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QColor>
#include <QPushButton>

#include <optional>

class SheetColorWell : public QPushButton, public ColorWell {
    Q_OBJECT
public:
    explicit SheetColorWell(QWidget* parent = nullptr);

    std::optional<WellColour> color() const override;
    void setColor(const WellColour& colour) override;
    void setEnabled(bool enabled) override { QPushButton::setEnabled(enabled); }
    bool isEnabled() const override { return QPushButton::isEnabled(); }

    // What the colour dialog hands back when the user picks a colour.
    void pickColor(const QColor& colour);
    // The colour shown.
    QColor shownColor() const { return shown_; }
    // Whether the stored colour lies outside what a screen shows (kept, marked "!" with a tooltip saying so).
    bool outOfRange() const { return outOfRange_; }

signals:
    // The colour changed, from outside or by the user (a live preview follows it).
    void colourChanged();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void openDialog();

    std::optional<WellColour> exact_; // set from outside; empty once the user picked
    QColor shown_;
    QString title_; // the tooltip the description gave: the colour dialog's title
    bool outOfRange_ = false;
};
