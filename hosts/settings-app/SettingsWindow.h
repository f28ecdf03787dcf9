// The settings window: the live preview, an "Options…" button that opens the view's configuration sheet as a panel
// beside it, and "Use in XScreenSaver…" (XScreenSaverList.h). Closing the window ends an open sheet and stops the
// preview's view.
//
// The preview shows every change in the sheet at its next frame while nothing is stored: Save stores them (the
// preview keeps them), Cancel puts the preview back as it was. The preferences file is watched (twice a second):
// when another program changes it, the preview starts a new view, which reads it; a sheet already open is left as
// the user has it, with a notice that Save will replace what the other program stored.
#pragma once

#include "hosts/settings-app/ShownSettings.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <string>

class PreviewWidget;
class QPushButton;
class QScrollArea;

class SettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit SettingsWindow(QWidget* parent = nullptr);

    PreviewWidget* preview() const { return preview_; }
    QPushButton* optionsButton() const { return options_; }
    // The sheet while it is open.
    QDialog* sheet() const { return sheet_; }
    void openSheet();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void sheetEnded();
    void checkFile();
    void useInXScreenSaver(); // asks whether Inkspin should be the one saver, then says what was done

    PreviewWidget* preview_;
    QPushButton* options_;
    QScrollArea* sheetArea_; // holds the sheet while it is open
    QPointer<QDialog> sheet_;
    ShownSettings opened_;  // what the preview showed when the sheet opened
    QTimer fileCheck_;
    std::string fileStamp_; // the preferences file's identity, size and time at the last look
};
