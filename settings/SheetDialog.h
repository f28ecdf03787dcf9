// The sheet's window on Qt: a QDialog. Ending the sheet closes the dialog (finished is emitted); whoever showed it
// removes it afterwards. Escape or the window's close button end it too, as a Cancel would.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QDialog>

class SheetDialog : public QDialog, public SheetWindow {
    Q_OBJECT
public:
    explicit SheetDialog(QWidget* parent = nullptr) : QDialog(parent) {}

    void endSheet() override { done(QDialog::Accepted); }
};
