// main() for the suites that use Qt widgets: a QApplication for the whole run, on the offscreen platform unless the
// environment names another (the settings window's suite runs on xcb under Xvfb), with the compatibility-profile
// OpenGL the saver draws with.
#include "hosts/settings-app/PreviewWidget.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    PreviewWidget::UseCompatibilityProfile();
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
