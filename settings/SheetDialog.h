// The sheet's window on Qt: a QDialog. Ending the sheet closes the dialog (finished is emitted); whoever showed it
// removes it afterwards. Escape or the window's close button end it too, as a Cancel would. Messages for the user
// (a failed save, a file changed elsewhere) show in the dialog's own label above its buttons (messageLabel in
// Inkspin.ui); the dialog stays open.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QDialog>

class SheetDialog : public QDialog, public SheetWindow {
    Q_OBJECT
public:
    explicit SheetDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    void endSheet() override { done(QDialog::Accepted); }
    void showSaveFailure(const std::string& message) override;
    // What the user must know before Save: in the label, not in the error colour.
    void showNotice(const QString& text);
    // Shown the first time: one label column for all groups, labels that grey with their controls, accessible
    // names from the labels.
    void setVisible(bool visible) override;

signals:
    // A control changed once the sheet was shown, by the user or by Defaults: a live preview follows.
    void edited();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void prepareLabels();
    void showMessage(const QString& text, bool error);
    bool prepared_ = false;
    bool watching_ = false;
};
