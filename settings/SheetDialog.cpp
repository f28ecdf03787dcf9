#include "settings/SheetDialog.h"

#include "settings/SheetColorWell.h"

#include <QCheckBox>
#include <QLabel>
#include <QSlider>

void SheetDialog::showSaveFailure(const std::string& message)
{
    showMessage(tr("Not saved: %1").arg(QString::fromStdString(message)), true);
}

void SheetDialog::showNotice(const QString& text) { showMessage(text, false); }

void SheetDialog::showMessage(const QString& text, bool error)
{
    auto* label = findChild<QLabel*>(QStringLiteral("messageLabel"));
    if (label == nullptr)
        return;
    label->setText(text);
    // Red reads on light and dark palettes alike; a notice keeps the palette's own text colour.
    label->setStyleSheet(error ? QStringLiteral("color: #e01b24; font-weight: bold;") : QString());
    label->setVisible(true);
}

void SheetDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (watching_)
        return;
    watching_ = true; // the controls hold their opening values by now: only changes from here on are edits
    for (QSlider* slider : findChildren<QSlider*>())
        connect(slider, &QSlider::valueChanged, this, &SheetDialog::edited);
    for (QCheckBox* box : findChildren<QCheckBox*>())
        connect(box, &QCheckBox::toggled, this, &SheetDialog::edited);
    for (SheetColorWell* well : findChildren<SheetColorWell*>())
        connect(well, &SheetColorWell::colourChanged, this, &SheetDialog::edited);
}
