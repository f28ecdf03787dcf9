// The link view on a real widget (offscreen): what it draws, where, in which colour, and what a click opens. URLs
// are caught with a QDesktopServices handler instead of reaching a browser.
#include "linkview/LinkView.h"

#include <QDesktopServices>
#include <QImage>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

struct Ink {
    int red = 0, blue = 0;
    QRect bounds; // of every link-coloured pixel
};

Ink InkOf(LinkView& view)
{
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Ink ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool red = c.red() > 160 && c.green() < 90 && c.blue() < 90;
            const bool blue = c.blue() > 160 && c.red() < 90 && c.green() < 90;
            ink.red += red;
            ink.blue += blue;
            if (red || blue)
                ink.bounds |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

class LinkViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        view.resize(300, 30);
        view.setURLString("https://example.org/inkspin");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler(QStringLiteral("https")); }

    UrlCatcher catcher;
    LinkView view;
};

TEST_F(LinkViewTest, ClickInsideOpensOnceRedWhileHeldBlueAfter)
{
    const Ink idle = InkOf(view);
    EXPECT_GT(idle.blue, 20);
    EXPECT_EQ(idle.red, 0);
    // Right-aligned, on the bottom edge (the underline is the lowest row), left part of the view empty.
    EXPECT_GE(idle.bounds.right(), view.width() - 3);
    EXPECT_GE(idle.bounds.bottom(), view.height() - 4);
    EXPECT_GT(idle.bounds.left(), view.width() / 3);
    EXPECT_EQ(view.cursorRect(), QRect(view.width() - view.cursorRect().width(), 0, view.cursorRect().width(), 30));
    EXPECT_NEAR(view.cursorRect().left(), idle.bounds.left(), 3) << "the hand covers the text's columns only";

    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(290, 20));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(310, 20)); // outside: nothing opens
    EXPECT_FALSE(view.mouseIsDown());
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(10, 10)); // away from the text: the whole view counts
    const Ink held = InkOf(view);
    EXPECT_GT(held.red, 20);
    EXPECT_EQ(held.blue, 0);
    EXPECT_TRUE(catcher.opened.isEmpty()) << "nothing opens before the release";
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(20, 25));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl("https://example.org/inkspin"));
    EXPECT_EQ(InkOf(view).red, 0);
}

// The keyboard reaches the link (Tab after the sheet's last button) and Enter opens it; on a dark window the link
// is a light blue that reads there, not pure blue.
TEST_F(LinkViewTest, TabReachesItEnterOpensItAndDarkWindowsGetALightTint)
{
    QWidget window;
    auto* before = new QWidget(&window);
    before->setFocusPolicy(Qt::StrongFocus);
    view.setParent(&window);
    view.setURLString("https://example.org/inkspin");
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QTest::keyClick(before, Qt::Key_Tab);
    EXPECT_TRUE(view.hasFocus());
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(catcher.opened.size(), 1);

    QPalette dark = view.palette();
    dark.setColor(QPalette::Window, QColor(0x20, 0x20, 0x20));
    view.setPalette(dark);
    view.setAutoFillBackground(true);
    EXPECT_EQ(InkOf(view).blue, 0) << "no pure blue on a dark window";
    const QImage image = view.grab().toImage();
    bool tint = false;
    for (int y = 0; y < image.height() && !tint; ++y)
        for (int x = 0; x < image.width() && !tint; ++x)
            tint = image.pixelColor(x, y) == QColor(0x8a, 0xb4, 0xf8);
    EXPECT_TRUE(tint);
    view.setParent(nullptr);
}

} // namespace

#include "LinkViewTest.moc"
