// The sheet's window on Qt: a QDialog. Ending the sheet closes the dialog (finished is emitted); whoever showed it
// removes it afterwards. Escape or the window's close button end it too, as a Cancel would. A failed save is shown
// in the dialog, which stays open.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QDialog>
#include <QLabel>

class SheetDialog : public QDialog, public SheetWindow {
    Q_OBJECT
public:
    explicit SheetDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    void endSheet() override { done(QDialog::Accepted); }
    // In the sheet's own label (saveFailureLabel in Inkspin.ui), in the palette's error colour, above the buttons:
    // the user sees it where they pressed Save, and the controls keep what they set.
    void showSaveFailure(const std::string& message) override
    {
        if (auto* label = findChild<QLabel*>(QStringLiteral("saveFailureLabel"))) {
            label->setText(tr("Not saved: %1").arg(QString::fromStdString(message)));
            label->setStyleSheet(QStringLiteral("color: #c01c28; font-weight: bold;"));
            label->setVisible(true);
        }
    }
};
