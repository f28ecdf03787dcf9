#include "hosts/settings-app/IdleDialog.h"

#include "hosts/idle/IdleSettings.h"
#include "hosts/settings-app/IdleAutostart.h"
#include "platform/PreferencesStore.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// --check answers at once: it only connects and looks.
constexpr int kCheckMilliseconds = 3000;

QSpinBox* MinutesBox(int low)
{
    auto* box = new QSpinBox;
    box->setRange(low, kIdleMinutesHigh);
    box->setSuffix(QObject::tr(" min"));
    return box;
}

// "1 minute", "5 minutes": without a translation loaded, Qt's %n plurals would show "minute(s)".
QString Minutes(int count)
{
    return count == 1 ? QObject::tr("1 minute") : QObject::tr("%1 minutes").arg(count);
}

} // namespace

IdleDialog::IdleDialog(const QString& watcher, QWidget* parent)
    : QDialog(parent), watcher_(watcher),
      enabled_(new QCheckBox(tr("&Start Inkspin when the computer is idle"))), start_(MinutesBox(1)),
      lock_(MinutesBox(0)), status_(new QLabel)
{
    const IdleSettings saved = ReadIdleSettings();
    start_->setValue(saved.startMinutes);
    lock_->setValue(saved.lockMinutes);
    setWindowTitle(tr("Use as screen saver"));
    setMinimumWidth(440); // the lines below wrap less
    enabled_->setChecked(IdleAutostartOn());
    lock_->setSpecialValueText(tr("never"));
    status_->setObjectName(QStringLiteral("idleStatus"));
    status_->setWordWrap(true);
    auto* note = new QLabel(tr("The desktop's own power settings still turn the screen off, and may lock it, after "
                               "their own delay: set that delay longer than Inkspin's, or the screen goes dark "
                               "before Inkspin shows."));
    note->setWordWrap(true);
    auto* form = new QFormLayout;
    form->addRow(enabled_);
    form->addRow(tr("Start &after"), start_);
    form->addRow(tr("Then &lock the screen after"), lock_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &IdleDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IdleDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(status_);
    layout->addWidget(note);
    layout->addWidget(buttons);

    QProcess check;
    check.start(watcher_, {QStringLiteral("--check")});
    const bool answered = check.waitForFinished(kCheckMilliseconds);
    const QString line = QString::fromUtf8(check.readAllStandardOutput()).trimmed();
    if (answered && check.exitStatus() == QProcess::NormalExit && check.exitCode() == 0)
        source_ = line.section(QLatin1Char(' '), -1);
    else
        problem_ = line.isEmpty() ? tr("%1 could not be run").arg(watcher_) : line;
    for (QSpinBox* box : {start_, lock_})
        connect(box, &QSpinBox::valueChanged, this, &IdleDialog::describe);
    connect(enabled_, &QCheckBox::toggled, this, &IdleDialog::describe);
    describe();
}

void IdleDialog::describe()
{
    if (!problem_.isEmpty()) {
        status_->setText(tr("Nothing can start Inkspin on this desktop: %1.").arg(problem_));
        return;
    }
    const QString lock = lock_->value() == 0
        ? tr("never asks the desktop to lock")
        : tr("asks the desktop to lock %1 later").arg(Minutes(lock_->value()));
    status_->setText(enabled_->isChecked()
                         ? tr("Inkspin starts after %1 without input and %2 (this desktop tells idle time "
                              "through %3).")
                               .arg(Minutes(start_->value()), lock, source_)
                         : tr("Inkspin does not start by itself. This desktop tells idle time through %1.")
                               .arg(source_));
}

void IdleDialog::accept()
{
    PreferencesSetInt(IdleKeys::kStartMinutes, start_->value(), IdleKeys::kDomain);
    PreferencesSetInt(IdleKeys::kLockMinutes, lock_->value(), IdleKeys::kDomain);
    std::string why;
    if (!PreferencesAppSynchronize(IdleKeys::kDomain, &why)
        || !SetIdleAutostart(enabled_->isChecked(), watcher_.toStdString(), &why)) {
        QMessageBox::warning(this, windowTitle(), tr("Not done: %1").arg(QString::fromStdString(why)));
        return;
    }
    // For this session too, not only from the next login; a watcher already running says so and ends at once.
    if (enabled_->isChecked())
        QProcess::startDetached(watcher_, {});
    QDialog::accept();
}
