#include "settings/SheetDialog.h"

#include "settings/Contrast.h"
#include "settings/SheetColorWell.h"
#include "settings/SheetSlider.h"

#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QScrollArea>
#include <QSlider>
#include <QTimer>

#include <algorithm>

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
    // A red that reads at 4.5:1 on this palette's window, light or dark; a notice keeps the palette's text colour.
    const QColor red = ErrorRed(palette().color(QPalette::Window));
    label->setStyleSheet(error ? QStringLiteral("color: %1; font-weight: bold;").arg(red.name()) : QString());
    label->setVisible(true);
    // Where the user looks: a sheet in a scroll area brings the message into view once it is laid out.
    for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            QTimer::singleShot(0, label, [area, label] { area->ensureWidgetVisible(label); });
            break;
        }
}

bool SheetDialog::eventFilter(QObject* watched, QEvent* event)
{
    // A label's access key moves focus to its control and does nothing else: Qt's own would skip a slider (its
    // wrapper takes no focus; the knob does) and click a colour well open.
    if (event->type() == QEvent::Shortcut)
        if (auto* label = qobject_cast<QLabel*>(watched); label != nullptr && label->buddy() != nullptr) {
            label->buddy()->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    // A control's label greys with it (Qt leaves a buddy's label as it was).
    if (event->type() == QEvent::EnabledChange)
        for (QLabel* label : findChildren<QLabel*>())
            if (label->buddy() == watched)
                label->setEnabled(label->buddy()->isEnabled());
    return QDialog::eventFilter(watched, event);
}

void SheetDialog::prepareLabels()
{
    ensurePolished(); // the style's fonts, before anything is measured
    QList<QLabel*> labels;
    for (QLabel* label : findChildren<QLabel*>())
        if (label->buddy() != nullptr)
            labels.append(label);
    // One label column for every group, so that the controls of all three start at one x position.
    int widest = 0;
    for (QLabel* label : labels)
        widest = std::max(widest, label->sizeHint().width());
    // And one value column, so that every slider's knob ends at one x position.
    int widestValue = 0;
    for (SheetSlider* slider : findChildren<SheetSlider*>())
        widestValue = std::max(widestValue, slider->valueWidth());
    for (SheetSlider* slider : findChildren<SheetSlider*>())
        slider->setValueWidth(widestValue);
    for (QLabel* label : labels) {
        label->setMinimumWidth(widest);
        QWidget* control = label->buddy();
        label->setEnabled(control->isEnabled());
        control->installEventFilter(this);
        label->installEventFilter(this);
        // Screen readers name a control after its label, with its group: "Shading: Colour".
        QString name = label->text().remove(QLatin1Char('&')).remove(QLatin1Char(':')).trimmed();
        if (auto* group = qobject_cast<QGroupBox*>(label->parentWidget()))
            name = group->title() + QStringLiteral(": ") + name;
        for (QWidget* target : {control, control->focusProxy()}) {
            if (target != nullptr) {
                target->setAccessibleName(name);
                target->setAccessibleDescription(control->toolTip());
            }
        }
    }
}

void SheetDialog::setVisible(bool visible)
{
    if (visible && !prepared_) { // before the first layout, so that it lays out the columns aligned
        prepared_ = true;
        prepareLabels();
    }
    QDialog::setVisible(visible);
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
