// The settings window: the live preview and an "Options…" button that opens the view's configuration sheet
// window-modally over it. Save reaches the preview at its next frame and the preferences file at once; Cancel
// changes nothing. Closing the window ends an open sheet and stops the preview's view.
#pragma once

#include <QDialog>
#include <QPointer>
#include <QWidget>

class PreviewWidget;
class QPushButton;

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
    PreviewWidget* preview_;
    QPushButton* options_;
    QPointer<QDialog> sheet_;
};
