// The saver on the whole screen, as the screen saver will show it, with the settings the preview shows (saved or
// not): the inkspin program itself, given those settings on its command line, until a key or a click. On X11 it draws
// into a full-screen window of ours (-window-id), which takes the key or the click and then ends it; on Wayland it
// covers every output itself (--root), and input ends it there.
//
// The program is the inkspin beside this one (the build tree, or the installed bin/), else the one on the PATH.
#pragma once

#include <QProcess>
#include <QStringList>
#include <QWidget>

class InkspinView;

class FullScreenPreview : public QWidget {
    Q_OBJECT
public:
    // Starts the saver with `settings` (its command-line options); the widget deletes itself when the saver has
    // ended. Null, with `error` set, when the program could not be started.
    static FullScreenPreview* Start(const QStringList& settings, QString* error);

    // The settings a view shows, as inkspin's options ("--zoom-factor", "2.5", ...).
    static QStringList SettingArguments(const InkspinView& view);

    QProcess& saver() { return saver_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    FullScreenPreview();
    void end();

    QProcess saver_;
};
