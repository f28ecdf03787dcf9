// The link view on a real widget (offscreen): what it draws, where, in which colour, and what a click opens. URLs
// are caught with a QDesktopServices handler instead of reaching a browser.
#include "linkview/LinkView.h"

#include <QDesktopServices>
#include <QImage>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <functional>

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

// The pixels of the view's picture that `is` holds for: how many, and the rectangle around them.
std::pair<int, QRect> Find(LinkView& view, const std::function<bool(const QColor&)>& is)
{
    const QImage image = view.grab().toImage();
    std::pair<int, QRect> found;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (is(image.pixelColor(x, y)))
                ++found.first, found.second |= QRect(x, y, 1, 1);
    return found;
}
bool Red(const QColor& c) { return c.red() > 160 && c.green() < 90 && c.blue() < 90; }
bool Blue(const QColor& c) { return c.blue() > 160 && c.red() < 90 && c.green() < 90; }

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
    const auto [blue, idle] = Find(view, Blue);
    EXPECT_GT(blue, 20);
    EXPECT_EQ(Find(view, Red).first, 0);
    // Right-aligned, on the bottom edge (the underline is the lowest row), left part of the view empty.
    EXPECT_GE(idle.right(), view.width() - 3);
    EXPECT_GE(idle.bottom(), view.height() - 4);
    EXPECT_GT(idle.left(), view.width() / 3);
    EXPECT_EQ(view.cursorRect(), QRect(view.width() - view.cursorRect().width(), 0, view.cursorRect().width(), 30));
    EXPECT_NEAR(view.cursorRect().left(), idle.left(), 3) << "the hand covers the text's columns only";

    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(290, 20));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(310, 20)); // outside: nothing opens
    EXPECT_FALSE(view.mouseIsDown());
    QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(10, 10)); // away from the text: the whole view counts
    EXPECT_GT(Find(view, Red).first, 20);
    EXPECT_EQ(Find(view, Blue).first, 0);
    EXPECT_TRUE(catcher.opened.isEmpty()) << "nothing opens before the release";
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(20, 25));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl("https://example.org/inkspin"));
    EXPECT_EQ(Find(view, Red).first, 0);
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
    EXPECT_EQ(Find(view, Blue).first, 0) << "no pure blue on a dark window";
    EXPECT_GT(Find(view, [](const QColor& c) { return c == QColor(0x8a, 0xb4, 0xf8); }).first, 0);
    view.setParent(nullptr);
}

} // namespace

#include "LinkViewTest.moc"
