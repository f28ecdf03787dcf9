// The sheet's checkbox on Qt: a two-state QCheckBox. A user's click is its action (QAbstractButton::clicked);
// setState never sends one.
#pragma once

#include "platform/InterfaceObjects.h"

#include <QCheckBox>

class SheetCheckbox : public QCheckBox, public Checkbox {
    Q_OBJECT
public:
    explicit SheetCheckbox(QWidget* parent = nullptr) : QCheckBox(parent) {}

    bool state() const override { return isChecked(); }
    void setState(bool on) override { setChecked(on); }
    void setEnabled(bool enabled) override { QCheckBox::setEnabled(enabled); }
    bool isEnabled() const override { return QCheckBox::isEnabled(); }
};
