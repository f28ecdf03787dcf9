// Text that reads against its background: the contrast ratio as WCAG 2 defines it (1 to 21; body text wants 4.5 or
// more), and a colour moved toward black or white, as the background asks, until it reads. Colours are sRGB.
#pragma once

#include <QColor>

double ContrastRatio(const QColor& first, const QColor& second);

// `text` itself when it reads at `ratio` on `background`; else the nearest mix of it with black (on a light
// background) or white (on a dark one) that does, in steps of 5%.
QColor ReadableOn(const QColor& text, const QColor& background, double ratio = 4.5);

// The red of the settings window's error texts, readable on `background`.
inline QColor ErrorRed(const QColor& background) { return ReadableOn(QColor(0xe0, 0x1b, 0x24), background); }
