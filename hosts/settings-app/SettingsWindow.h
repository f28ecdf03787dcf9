// The settings window: the live preview, an "Options…" button that opens the view's configuration sheet as a panel
// beside it, "Preview full screen" (FullScreenPreview.h), Help, and "Use in XScreenSaver…" (XScreenSaverList.h) on X11
// or "Use as screen saver…" (IdleDialog.h) in a Wayland session.
//
// The preview shows every change in the sheet at its next frame while nothing is stored: Save stores them (the
// preview keeps them), Cancel puts the preview back as it was. The preferences file is watched (twice a second):
// when another program changes it, the preview starts a new view, which reads it, and a sheet with no edits opens
// again with what is stored; a sheet with edits stays as the user has it, with a notice that Save will replace what
// the other program stored. A file that cannot be read (not a regular file, over 1 MiB) is said under the preview.
//
// Closing the window (its close button, Ctrl+W, Ctrl+Q) with edits in the sheet asks whether to save them, throw
// them away, or go on editing. The window never opens larger than the screen's available area; the sheet scrolls
// where the screen is too small for it.
#pragma once

#include "hosts/settings-app/ShownSettings.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <string>

class PreviewWidget;
class QLabel;
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
    // Whether the open sheet holds changes that are not stored.
    bool sheetEdited() const;
    // The size to open at: `wanted`, or less on a small screen (or at a large scale factor).
    void resizeWithinScreen(QSize wanted);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void sheetEnded();
    void checkFile();
    void showFileProblem();
    void showHelp();
    void previewFullScreen();
    void useInXScreenSaver(); // asks whether Inkspin should be the one saver, then says what was done

    PreviewWidget* preview_;
    QPushButton* options_;
    QLabel* fileProblem_;    // why the preferences file is not read, when it is not
    QScrollArea* sheetArea_; // holds the sheet while it is open
    QPointer<QDialog> sheet_;
    ShownSettings opened_;  // what the preview showed when the sheet opened
    QTimer fileCheck_;
    std::string fileStamp_; // the preferences file's identity, size and time at the last look
};
