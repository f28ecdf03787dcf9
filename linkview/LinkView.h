// LinkView: a hyperlink on Qt. It draws its URL as underlined blue text in the small system font, right-aligned on
// its bottom edge, red while a click on it is held; shows a hand cursor over the columns the text covers; and opens
// the URL with the user's default application (QDesktopServices) when a click that began on it is released
// anywhere inside the view, wherever the mouse went in between. With no URL it draws nothing and ignores clicks.
// The keyboard reaches it too: Tab gives it focus (a dotted frame), Enter or Space opens the URL. On a dark window
// the blue and red are lighter tints, readable there.
//
// The hand cursor is the image ":/inkspin/handCursor.png" with its hot spot at (5, 1); without that image there is
// no hand cursor and everything else works as usual. Main thread only.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QCursor>
#include <QFont>
#include <QWidget>

#include <memory>
#include <optional>

class LinkView : public QWidget, public LinkTarget {
    Q_OBJECT
public:
    explicit LinkView(QWidget* parent = nullptr);
    ~LinkView() override;

    // Shows and opens `url` from now on; nothing blanks the view. Redraws.
    void setURLString(const std::optional<std::string>& url) override;

    const std::optional<QString>& urlString() const { return m_URLString; }
    bool mouseIsDown() const { return m_mouseIsDown; }
    bool hasHandCursor() const { return m_handCursor != nullptr; }
    // Where the hand cursor shows, in the view's coordinates: the text's columns over the whole height; empty with
    // no URL or no cursor. Starts left of the view when the text is wider than it.
    QRect cursorRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    int textWidth() const;
    void openURL(const QString& url);
    void initHandCursor();

    QFont m_font; // the small system font, underlined: made once, used to draw and to measure
    std::unique_ptr<QCursor> m_handCursor;
    std::optional<QString> m_URLString;
    bool m_mouseIsDown = false;
};
