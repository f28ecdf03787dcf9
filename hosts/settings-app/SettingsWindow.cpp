#include "hosts/settings-app/SettingsWindow.h"

#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/XScreenSaverList.h"
#include "platform/PreferencesStore.h"
#include "saver/PreferenceKeys.h"
#include "settings/SheetDialog.h"

#include <sys/stat.h>

#include <algorithm>

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

// What tells one state of the preferences file from another: a save renames a new file over it (a new inode), a hand
// edit changes its size or time. Empty when there is no file.
std::string FileStamp()
{
    struct stat status {};
    if (stat(PreferencesFilePath(PreferenceKeys::kDomain).c_str(), &status) != 0)
        return {};
    return std::to_string(status.st_ino) + ":" + std::to_string(status.st_size) + ":"
        + std::to_string(status.st_mtim.tv_sec) + "." + std::to_string(status.st_mtim.tv_nsec);
}

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent)
    : QWidget(parent), preview_(new PreviewWidget), options_(new QPushButton(tr("&Options…"))),
      sheetArea_(new QScrollArea)
{
    setWindowTitle(tr("Inkspin Settings"));
    preview_->setMinimumSize(200, 112); // small screens and large scale factors leave the sheet room
    // The sheet opens beside the preview, never over it: every change shows there as it is made. In a scroll area,
    // so that a small screen or a large scale factor cuts nothing off.
    sheetArea_->setWidgetResizable(true);
    sheetArea_->setFrameShape(QFrame::NoFrame);
    sheetArea_->hide();
    auto* top = new QHBoxLayout;
    top->addWidget(preview_, 1);
    top->addWidget(sheetArea_);
    auto* buttons = new QHBoxLayout;
    // XScreenSaver lists only the savers of its own package until a user's ~/.xscreensaver names another one.
    auto* xscreensaver = new QPushButton(tr("Use in &XScreenSaver…"));
    xscreensaver->setObjectName(QStringLiteral("xscreensaverButton"));
    xscreensaver->setToolTip(tr("Adds Inkspin to XScreenSaver's list of screen savers in ~/.xscreensaver"));
    connect(xscreensaver, &QPushButton::clicked, this, &SettingsWindow::useInXScreenSaver);
    buttons->addWidget(xscreensaver);
    buttons->addStretch(1);
    buttons->addWidget(options_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    connect(options_, &QPushButton::clicked, this, &SettingsWindow::openSheet);
    fileStamp_ = FileStamp();
    connect(&fileCheck_, &QTimer::timeout, this, &SettingsWindow::checkFile);
    fileCheck_.start(500);
}

void SettingsWindow::openSheet()
{
    if (sheet_ != nullptr)
        return;
    auto* sheet = dynamic_cast<QDialog*>(preview_->view().configureSheet());
    if (sheet == nullptr) {
        QMessageBox::warning(this, windowTitle(), tr("The options sheet could not be loaded."));
        return;
    }
    // The sheet is ours from here: a panel of this window, removed once the view has ended it.
    sheet->setWindowFlags(Qt::Widget);
    connect(sheet, &QDialog::finished, this, &SettingsWindow::sheetEnded);
    if (auto* dialog = dynamic_cast<SheetDialog*>(sheet))
        connect(dialog, &SheetDialog::edited, this, [this] { preview_->view().takeSheetValues(); });
    opened_ = ShownBy(preview_->view());
    fileStamp_ = FileStamp();
    sheet_ = sheet;
    sheetArea_->setWidget(sheet);
    sheet->show(); // lays the sheet out: its width is known from here
    const int wanted = sheet->sizeHint().expandedTo(sheet->minimumSize()).width()
        + sheetArea_->verticalScrollBar()->sizeHint().width() + 2 * sheetArea_->frameWidth();
    const QRect screen = this->screen() != nullptr ? this->screen()->availableGeometry() : QRect(0, 0, 1920, 1080);
    sheetArea_->setMinimumWidth(std::min(wanted, screen.width() - preview_->minimumWidth() - 80));
    sheetArea_->show();
    options_->setEnabled(false);
    sheet->setFocus();
    // Room for the sheet beside the preview, as far as the screen allows.
    if (width() < preview_->minimumWidth() + wanted + 40)
        resize(std::min(preview_->width() + wanted + 40, screen.width()), height());
}

void SettingsWindow::sheetEnded()
{
    sheetArea_->hide();
    if (QWidget* sheet = sheetArea_->takeWidget())
        sheet->deleteLater(); // after the view's action that ended it has returned
    options_->setEnabled(true);
    InkspinView& view = preview_->view();
    const ShownSettings stored = StoredSettings();
    if (ShownBy(view) == stored)
        return; // saved: the preview shows what is stored
    if (opened_ == stored)
        Show(view, opened_); // cancelled: back to what it showed
    else
        preview_->reload(); // the file changed meanwhile: a new view reads it
}

void SettingsWindow::checkFile()
{
    const std::string stamp = FileStamp();
    if (stamp == fileStamp_)
        return;
    fileStamp_ = stamp;
    if (sheet_ != nullptr) {
        if (auto* dialog = dynamic_cast<SheetDialog*>(sheet_.data()))
            dialog->showNotice(tr("Another program changed the saved settings since this sheet opened; Save will "
                                  "replace them with these."));
        return;
    }
    if (!(ShownBy(preview_->view()) == StoredSettings()))
        preview_->reload();
}

void SettingsWindow::useInXScreenSaver()
{
    const auto answer = QMessageBox::question(
        this, tr("Use in XScreenSaver"),
        tr("Inkspin will be added to XScreenSaver's list of screen savers. Should XScreenSaver show Inkspin alone?"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return;
    std::string message;
    if (UseInXScreenSaver(answer == QMessageBox::Yes, &message))
        QMessageBox::information(this, tr("Use in XScreenSaver"), QString::fromStdString(message) + ".");
    else
        QMessageBox::warning(this, tr("Use in XScreenSaver"), tr("Not done: ") + QString::fromStdString(message));
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // The sheet's controls call the view: remove them before the view stops.
    delete sheet_.data();
    preview_->stop();
    event->accept();
}
