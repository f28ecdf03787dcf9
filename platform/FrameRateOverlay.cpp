#include "platform/FrameRateOverlay.h"

#include "platform/WallClock.h"

#include <GL/gl.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

// A 5 x 7 pixel font for the characters the text uses; each row's five bits, the leftmost the highest.
struct Glyph {
    char character;
    std::uint8_t rows[7]; // top row first
};

constexpr Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}}, {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}},
};

const Glyph* Find(char c)
{
    for (const Glyph& glyph : kFont)
        if (glyph.character == c)
            return &glyph;
    return nullptr; // a space
}

void Rectangle(int x0, int y0, int x1, int y1)
{
    glVertex2i(x0, y0);
    glVertex2i(x1, y0);
    glVertex2i(x1, y1);
    glVertex2i(x0, y1);
}

} // namespace

void FrameRateOverlay::drawOver(int width, int height)
{
    const WallTime now = WallClockNow();
    count(static_cast<double>(now.seconds) + static_cast<double>(now.microseconds) / 1e6);
    draw(width, height);
}

void FrameRateOverlay::count(double seconds)
{
    if (!counting_ || seconds < countStart_) {
        counting_ = true;
        countStart_ = seconds;
        frames_ = 0;
        return;
    }
    ++frames_;
    if (seconds - countStart_ >= 1.0) {
        rate_ = frames_ / (seconds - countStart_);
        countStart_ = seconds;
        frames_ = 0;
    }
}

std::string FrameRateOverlay::text() const
{
    if (rate_ < 0.0)
        return "FPS: -";
    char text[32];
    std::snprintf(text, sizeof text, "FPS: %.1f", rate_);
    return text;
}

void FrameRateOverlay::draw(int width, int height) const
{
    const std::string line = text();
    const int pixel = std::max(1, height / 240); // a font pixel: glyphs about a 35th of the height
    const int margin = 2 * pixel;
    const int boxWidth = 2 * margin + static_cast<int>(line.size()) * 6 * pixel - pixel;
    const int boxHeight = 2 * margin + 7 * pixel;

    glPushAttrib(GL_ALL_ATTRIB_BITS);
    for (GLenum matrix : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glPushMatrix();
        glLoadIdentity();
    }
    glMatrixMode(GL_PROJECTION);
    glViewport(0, 0, width, height);
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    for (GLenum capability : {GL_TEXTURE_1D, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_LIGHTING, GL_CULL_FACE,
                              GL_FOG, GL_ALPHA_TEST, GL_SCISSOR_TEST, GL_STENCIL_TEST, GL_COLOR_LOGIC_OP})
        glDisable(capability);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    glBegin(GL_QUADS);
    glColor3f(0.0f, 0.0f, 0.0f);
    Rectangle(0, 0, boxWidth, boxHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const Glyph* glyph = Find(line[i]);
        const int left = margin + static_cast<int>(i) * 6 * pixel;
        for (int row = 0; glyph != nullptr && row < 7; ++row) {
            const int bottom = margin + (6 - row) * pixel;
            for (int column = 0; column < 5; ++column)
                if (glyph->rows[row] & (0x10 >> column))
                    Rectangle(left + column * pixel, bottom, left + (column + 1) * pixel, bottom + pixel);
        }
    }
    glEnd();

    for (GLenum matrix : {GL_PROJECTION, GL_TEXTURE, GL_MODELVIEW}) {
        glMatrixMode(matrix);
        glPopMatrix();
    }
    glPopAttrib();
}
