// inkspin-settings: the saver's settings window, with a live preview.
#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/SettingsWindow.h"
#include "settings/SheetLoader.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifndef INKSPIN_VERSION
#define INKSPIN_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts("usage: inkspin-settings\n\n"
                      "Opens Inkspin's settings window: a live preview of the saver and its Options sheet.\n"
                      "Settings are saved to ${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.saver.conf.");
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("inkspin-settings %s\n", INKSPIN_VERSION);
            return 0;
        }
    }
    // Without any display Qt would abort with a core; say so in one line instead.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr
        && (platform == nullptr || *platform == '\0')) {
        std::fputs("inkspin-settings: no display (DISPLAY is not set); run it on a desktop, or under xvfb-run\n", stderr);
        return 1;
    }
    PreviewWidget::UseCompatibilityProfile();

    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("inkspin-settings"));
    QApplication::setApplicationDisplayName(QStringLiteral("Inkspin"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/inkspin/inkspin.png")));
    SheetLoaderInstall();

    SettingsWindow window;
    window.resize(800, 520);
    window.show();
    return QApplication::exec();
}
