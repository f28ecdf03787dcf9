// "Use as screen saver": the settings of the idle watcher (inkspin-idle) in a Wayland session, where XScreenSaver
// cannot run. Whether Inkspin starts when the computer is idle (the user's autostart entry, IdleAutostart.h), after
// how many minutes, and how many minutes later the desktop is asked to lock (or never), the same three choices
// XScreenSaver's settings offer; and a line that says what will happen on this desktop, or why nothing can (from
// `inkspin-idle --check`).
//
// OK saves the times (IdleSettings.h: a running watcher follows them at once), writes or removes the autostart entry,
// and starts or ends the watcher for this session; Cancel changes nothing.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QSpinBox;

class IdleDialog : public QDialog {
    Q_OBJECT
public:
    // `watcher` is the inkspin-idle to ask and to run (the one installed beside this program).
    explicit IdleDialog(const QString& watcher, QWidget* parent = nullptr);

    QCheckBox* enabled() const { return enabled_; }
    QSpinBox* startMinutes() const { return start_; }
    QSpinBox* lockMinutes() const { return lock_; } // 0 shows as "never"
    QLabel* status() const { return status_; }

    void accept() override;

private:
    void describe();

    QString watcher_;
    QString source_;  // where this desktop tells idle time from; empty when it does not
    QString problem_; // why nothing can start the saver here, when nothing can
    QCheckBox* enabled_;
    QSpinBox* start_;
    QSpinBox* lock_;
    QLabel* status_;
};
