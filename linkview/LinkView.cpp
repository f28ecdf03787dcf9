#include "linkview/LinkView.h"

#include <algorithm>

#include <QDesktopServices>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

namespace {

constexpr const char* kHandCursorImage = ":/inkspin/handCursor.png";
constexpr int kHotSpotX = 5;
constexpr int kHotSpotY = 1;
// Desktops have no "small system font"; the classic small size is 11 against a regular 13.
constexpr double kSmallFontRatio = 11.0 / 13.0;

} // namespace

LinkView::LinkView(QWidget* parent) : QWidget(parent), m_font(QFontDatabase::systemFont(QFontDatabase::GeneralFont))
{
    if (m_font.pointSizeF() > 0)
        m_font.setPointSizeF(m_font.pointSizeF() * kSmallFontRatio);
    m_font.setUnderline(true);
    initHandCursor();
    // Move events without a button held, so the cursor can change over the text's columns only.
    setMouseTracking(true);
}

LinkView::~LinkView() = default;

void LinkView::setURLString(const std::optional<std::string>& url)
{
    if (url)
        m_URLString = QString::fromStdString(*url);
    else
        m_URLString.reset();
    // Tab reaches a link there is; Enter or Space opens it.
    setFocusPolicy(m_URLString ? Qt::StrongFocus : Qt::NoFocus);
    setAccessibleName(m_URLString ? tr("Home page: %1").arg(*m_URLString) : QString());
    update();
}

int LinkView::textWidth() const
{
    return m_URLString ? QFontMetrics(m_font).horizontalAdvance(*m_URLString) : 0;
}

QRect LinkView::cursorRect() const
{
    if (m_handCursor == nullptr || !m_URLString)
        return {};
    const int width = textWidth();
    return {this->width() - width, 0, width, height()};
}

void LinkView::paintEvent(QPaintEvent*)
{
    if (!m_URLString)
        return;
    QPainter painter(this);
    painter.setFont(m_font);
    // Pure blue and a deep red on a light window (pure red reads at 3.6:1 on a light grey); on a dark one (where pure
    // blue reads at about 1.9:1) lighter tints. Each reads at 4.5:1 or better against its window.
    const bool dark = palette().color(QPalette::Window).lightnessF() < 0.5;
    const QColor idle = dark ? QColor(0x8a, 0xb4, 0xf8) : QColor(Qt::blue);
    const QColor held = dark ? QColor(0xff, 0x8a, 0x80) : QColor(0xc0, 0x1c, 0x28);
    painter.setPen(m_mouseIsDown ? held : idle);
    // Right-aligned, the line's bottom (descent included) on the view's bottom edge.
    painter.drawText(QPoint(width() - textWidth(), height() - QFontMetrics(m_font).descent()), *m_URLString);
    if (hasFocus()) { // where the keyboard is: a dotted frame around the text, however tall the view
        painter.setPen(QPen(idle, 1, Qt::DotLine));
        const int text = textWidth(), line = std::min(height(), QFontMetrics(m_font).height() + 2);
        painter.drawRect(QRect(width() - text, height() - line, text, line).adjusted(0, 0, -1, -1));
    }
}

void LinkView::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (m_URLString && (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)) {
        openURL(*m_URLString);
        return;
    }
    QWidget::keyPressEvent(event);
}

void LinkView::mousePressEvent(QMouseEvent* event)
{
    if (!m_URLString || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    m_mouseIsDown = true;
    update();
}

void LinkView::mouseReleaseEvent(QMouseEvent* event)
{
    // Qt keeps sending the mouse to the view that took the press, so the release arrives here wherever it lands.
    if (!m_mouseIsDown || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (rect().contains(event->position().toPoint()) && m_URLString)
        openURL(*m_URLString);
    m_mouseIsDown = false;
    update();
}

void LinkView::mouseMoveEvent(QMouseEvent* event)
{
    if (cursorRect().contains(event->position().toPoint()))
        setCursor(*m_handCursor);
    else
        unsetCursor();
    QWidget::mouseMoveEvent(event);
}

void LinkView::openURL(const QString& url)
{
    const QUrl parsed(url, QUrl::StrictMode);
    if (!parsed.isValid() || parsed.isRelative())
        return; // a malformed string opens nothing
    QDesktopServices::openUrl(parsed);
}

void LinkView::initHandCursor()
{
    const QPixmap image(QString::fromLatin1(kHandCursorImage));
    if (!image.isNull())
        m_handCursor = std::make_unique<QCursor>(image, kHotSpotX, kHotSpotY);
}
