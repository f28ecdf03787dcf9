#include "hosts/settings-app/SettingsWindow.h"

#include "hosts/settings-app/PreviewWidget.h"

#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(QWidget* parent)
    : QWidget(parent), preview_(new PreviewWidget), options_(new QPushButton(tr("Options…")))
{
    setWindowTitle(tr("Inkspin"));
    preview_->setMinimumSize(480, 270);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(options_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);
    connect(options_, &QPushButton::clicked, this, &SettingsWindow::openSheet);
}

void SettingsWindow::openSheet()
{
    if (sheet_ != nullptr) {
        sheet_->raise();
        return;
    }
    auto* sheet = dynamic_cast<QDialog*>(preview_->view().configureSheet());
    if (sheet == nullptr) {
        QMessageBox::warning(this, windowTitle(), tr("The options sheet could not be loaded."));
        return;
    }
    // The sheet is ours from here: shown over this window, removed once the view has ended it.
    sheet->setParent(this, sheet->windowFlags() | Qt::Sheet);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    connect(sheet, &QDialog::finished, sheet, &QObject::deleteLater);
    sheet_ = sheet;
    sheet->open();
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // The sheet's controls call the view: remove them before the view stops.
    delete sheet_.data();
    preview_->stop();
    event->accept();
}
