// main() for the suites that use Qt widgets: a QApplication for the whole run, on the offscreen platform unless the
// environment names another (the settings window's suite runs on xcb under Xvfb), with the compatibility-profile
// OpenGL the saver draws with.
#include <QApplication>
#include <QSurfaceFormat>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QSurfaceFormat format;
    format.setVersion(2, 1);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setDepthBufferSize(16);
    QSurfaceFormat::setDefaultFormat(format);
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
