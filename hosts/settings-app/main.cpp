// inkspin-settings: the saver's settings window, with a live preview.
#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/SettingsWindow.h"
#include "hosts/settings-app/XScreenSaverList.h"
#include "settings/SheetLoader.h"
#include "support/text/Printable.h"

#include <QApplication>
#include <QIcon>

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef INKSPIN_VERSION
#define INKSPIN_VERSION "unknown"
#endif

int main(int argc, char** argv)
{
    // The form for scripts, which opens no window: --use-in-xscreensaver [--only] [--use-installed].
    if (argc >= 2 && std::strcmp(argv[1], "--use-in-xscreensaver") == 0) {
        ListRequest request;
        for (int i = 2; i < argc; ++i) {
            if (std::strcmp(argv[i], "--only") == 0 && request.mode == ListMode::Keep) {
                request.mode = ListMode::Alone;
            } else if (std::strcmp(argv[i], "--use-installed") == 0 && !request.useInstalled) {
                request.useInstalled = true;
            } else {
                std::fputs("inkspin-settings: --use-in-xscreensaver takes --only, --use-installed and nothing else\n",
                           stderr);
                return 2;
            }
        }
        std::string message;
        ListChange change;
        const bool done = UseInXScreenSaver(request, &message, &change);
        if (done && !change.elsewhere.empty())
            message += "; add --use-installed to run the installed one";
        std::fprintf(done ? stdout : stderr, "inkspin-settings: %s\n", message.c_str());
        return done ? 0 : 1;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::puts("usage: inkspin-settings [--help | --version]\n"
                      "       inkspin-settings --use-in-xscreensaver [--only] [--use-installed]\n\n"
                      "Opens Inkspin's settings window: a live preview of the saver and its Options sheet.\n"
                      "Settings are saved to ${XDG_CONFIG_HOME:-$HOME/.config}/inkspin/org.inkspin.saver.conf.\n\n"
                      "--use-in-xscreensaver adds Inkspin to XScreenSaver's list in ~/.xscreensaver (made from the\n"
                      "system's list when there is none) and opens no window; --only also makes it the one saver,\n"
                      "--use-installed makes an entry that runs another inkspin run the one installed with this.");
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("inkspin-settings %s\n", INKSPIN_VERSION);
            return 0;
        }
    }
    // Qt aborts with a core dump when it cannot open the X display it is given (unset, empty, or not answering):
    // find out first, and say so in one line instead.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool onX = (platform == nullptr || *platform == '\0') ? std::getenv("WAYLAND_DISPLAY") == nullptr
                                                                : std::strncmp(platform, "xcb", 3) == 0;
    if (onX) {
        const char* name = std::getenv("DISPLAY");
        Display* display = name != nullptr && *name != '\0' ? XOpenDisplay(nullptr) : nullptr;
        if (display == nullptr) {
            std::fprintf(stderr, "inkspin-settings: %s; run it on a desktop, or under xvfb-run\n",
                         name == nullptr || *name == '\0'
                             ? "no display (DISPLAY is not set)"
                             : ("cannot open display \"" + inkspin::Printable(name) + "\"").c_str());
            return 1;
        }
        XCloseDisplay(display);
    }
    PreviewWidget::UseCompatibilityProfile();

    QApplication application(argc, argv); // takes away the options that are Qt's (-style, -platform, ...)
    if (argc > 1) {
        std::fprintf(stderr, "inkspin-settings: '%s' is not an option (see inkspin-settings --help)\n",
                     inkspin::Printable(argv[1]).c_str());
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("inkspin-settings"));
    QApplication::setApplicationDisplayName(QStringLiteral("Inkspin Settings")); // as the desktop entry names it
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/inkspin/inkspin.png")));
    SheetLoaderInstall();

    SettingsWindow window;
    window.resizeWithinScreen({1120, 600}); // the preview, and the sheet beside it when it opens
    window.show();
    return QApplication::exec();
}
