#include "hosts/settings-app/SettingsWindow.h"

#include "hosts/settings-app/FullScreenPreview.h"
#include "hosts/settings-app/PreviewWidget.h"
#include "hosts/settings-app/IdleDialog.h"
#include "hosts/settings-app/XScreenSaverList.h"
#include "platform/PreferencesStore.h"
#include "saver/SettingOptions.h"
#include "saver/PreferenceKeys.h"
#include "settings/Contrast.h"
#include "settings/ScreenRoom.h"
#include "settings/SheetDialog.h"

#include <sys/stat.h>

#include <algorithm>

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTextBrowser>
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

// The first control that Tab reaches inside `sheet`.
QWidget* FirstControl(QWidget* sheet)
{
    for (QWidget* w = sheet->nextInFocusChain(); w != sheet; w = w->nextInFocusChain())
        if (sheet->isAncestorOf(w) && w->isVisibleTo(sheet) && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)
            && w->focusProxy() == nullptr)
            return w;
    return nullptr;
}

} // namespace

SettingsWindow::SettingsWindow(QWidget* parent)
    : QWidget(parent), preview_(new PreviewWidget), options_(new QPushButton(tr("&Options…"))),
      fileProblem_(new QLabel), sheetArea_(new QScrollArea)
{
    setWindowTitle(tr("Inkspin Settings"));
    preview_->setMinimumSize(100, 56); // small screens and large scale factors leave the sheet room
    // The sheet opens beside the preview, never over it: every change shows there as it is made. In a scroll area,
    // so that a small screen or a large scale factor cuts nothing off; the area itself is no stop for Tab.
    sheetArea_->setWidgetResizable(true);
    sheetArea_->setFrameShape(QFrame::NoFrame);
    sheetArea_->setFocusPolicy(Qt::NoFocus);
    sheetArea_->hide();
    fileProblem_->setObjectName(QStringLiteral("fileProblemLabel"));
    fileProblem_->setWordWrap(true);
    fileProblem_->hide();
    auto* left = new QVBoxLayout;
    left->addWidget(preview_, 1);
    left->addWidget(fileProblem_);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addWidget(sheetArea_);
    auto* buttons = new QHBoxLayout;
    // On X11, XScreenSaver starts the saver, and lists only those of its own package until a user's ~/.xscreensaver
    // names another one; in a Wayland session, where XScreenSaver cannot run, inkspin-idle starts it.
    QPushButton* saverButton = nullptr;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        saverButton = new QPushButton(tr("Use in &XScreenSaver…"));
        saverButton->setObjectName(QStringLiteral("xscreensaverButton"));
        saverButton->setToolTip(tr("Adds Inkspin to XScreenSaver's list of screen savers in ~/.xscreensaver"));
        connect(saverButton, &QPushButton::clicked, this, &SettingsWindow::useInXScreenSaver);
    } else {
        saverButton = new QPushButton(tr("Use &as screen saver…"));
        saverButton->setObjectName(QStringLiteral("idleButton"));
        saverButton->setToolTip(tr("Starts Inkspin when the computer is idle, and locks after it"));
        connect(saverButton, &QPushButton::clicked, this, [this] {
            IdleDialog(QCoreApplication::applicationDirPath() + QStringLiteral("/inkspin-idle"), this).exec();
        });
    }
    auto* help = new QPushButton(tr("&Help"));
    help->setObjectName(QStringLiteral("helpButton"));
    connect(help, &QPushButton::clicked, this, &SettingsWindow::showHelp);
    auto* fullScreen = new QPushButton(tr("&Preview full screen"));
    fullScreen->setObjectName(QStringLiteral("fullScreenButton"));
    fullScreen->setToolTip(tr("Shows the saver on the whole screen with these settings, until a key or a click"));
    connect(fullScreen, &QPushButton::clicked, this, &SettingsWindow::previewFullScreen);
    buttons->addWidget(saverButton);
    buttons->addWidget(help);
    buttons->addStretch(1);
    buttons->addWidget(fullScreen);
    buttons->addWidget(options_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(buttons);
    connect(options_, &QPushButton::clicked, this, &SettingsWindow::openSheet);
    // The desktop's keys for closing a window and quitting a program (this window is the program), and Ctrl+W and
    // Ctrl+Q where the platform theme binds none (qt6ct's): one shortcut for each key, or Qt would call them ambiguous.
    QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    keys += QKeySequence::keyBindings(QKeySequence::Quit);
    keys += {QKeySequence(Qt::CTRL | Qt::Key_W), QKeySequence(Qt::CTRL | Qt::Key_Q)};
    for (qsizetype i = 0; i < keys.size(); ++i)
        if (!keys[i].isEmpty() && keys.indexOf(keys[i]) == i)
            connect(new QShortcut(keys[i], this), &QShortcut::activated, this, &QWidget::close);
    // A control that gets focus (Tab, an access key) while scrolled out of sight comes into view: the next key
    // would change it unseen.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        if (now != nullptr && sheet_ != nullptr && sheet_->isAncestorOf(now))
            sheetArea_->ensureWidgetVisible(now);
    });
    showFileProblem();
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
    opened_ = ShownSettingsOf(preview_->view());
    fileStamp_ = FileStamp();
    sheet_ = sheet;
    sheetArea_->setWidget(sheet);
    sheetArea_->show();
    sheet->show(); // polishes and lays the sheet out: its width is known from here
    // The button's place goes to the sheet while it is open (and its access key with it).
    options_->hide();
    const int wanted = sheet->sizeHint().expandedTo(sheet->minimumSizeHint()).width()
        + sheetArea_->verticalScrollBar()->sizeHint().width() + 2 * sheetArea_->frameWidth();
    // At most what the screen leaves beside the preview and the window's margins (it scrolls sideways then).
    sheetArea_->setMinimumWidth(std::min(wanted, RoomOnScreen(*this).width() - preview_->minimumWidth() - 24));
    if (QWidget* first = FirstControl(sheet))
        first->setFocus(Qt::TabFocusReason);
    // Room for the sheet beside the preview, as far as the screen allows.
    if (width() < preview_->width() + wanted)
        resizeWithinScreen({preview_->width() + wanted + 2 * layout()->contentsMargins().left(), height()});
}

bool SettingsWindow::sheetEdited() const
{
    return sheet_ != nullptr && !(ShownSettingsOf(preview_->view()) == opened_);
}

void SettingsWindow::resizeWithinScreen(QSize wanted)
{
    resize(wanted.boundedTo(RoomOnScreen(*this)));
}

void SettingsWindow::sheetEnded()
{
    sheetArea_->hide();
    if (QWidget* sheet = sheetArea_->takeWidget())
        sheet->deleteLater(); // after the view's action that ended it has returned
    sheet_ = nullptr;
    options_->show();
    options_->setFocus(Qt::OtherFocusReason); // where the keyboard was before the sheet opened
    InkspinView& view = preview_->view();
    const ShownSettings stored = StoredSettings();
    if (ShownSettingsOf(view) == stored)
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
    showFileProblem();
    if (sheet_ != nullptr && sheetEdited()) {
        if (auto* dialog = dynamic_cast<SheetDialog*>(sheet_.data()))
            dialog->showNotice(tr("Another program changed the saved settings since this sheet opened; Save will "
                                  "replace them with these."));
        return;
    }
    if (sheet_ != nullptr) {
        // No edits to keep: the sheet opens again with what is stored now, as the preview shows it.
        sheet_->done(QDialog::Rejected); // ends it (sheetEnded reloads the preview)
        openSheet();
        return;
    }
    if (!(ShownSettingsOf(preview_->view()) == StoredSettings()))
        preview_->reload();
}

void SettingsWindow::showFileProblem()
{
    const std::string problem = PreferencesReadProblem(PreferenceKeys::kDomain);
    fileProblem_->setVisible(!problem.empty());
    if (problem.empty())
        return;
    fileProblem_->setText(tr("The saved settings are not read: %1. The defaults show, and Save will fail until the "
                             "file is a readable one again.")
                              .arg(QString::fromStdString(problem)));
    const QColor red = ErrorRed(palette().color(QPalette::Window));
    fileProblem_->setStyleSheet(QStringLiteral("color: %1; font-weight: bold;").arg(red.name()));
}

void SettingsWindow::showHelp()
{
    QString text = tr("<p>The preview shows the saver with the settings below. <b>Options…</b> opens them beside "
                      "it: every change shows at once, <b>Save</b> keeps it, <b>Cancel</b> takes it back. "
                      "<b>Preview full screen</b> shows the saver on the whole screen until a key or a click.</p>"
                      "<p>Settings are saved in %1 and used by <tt>inkspin</tt> wherever it runs: under XScreenSaver "
                      "(<b>Use in XScreenSaver…</b> adds it to its list), on Wayland (<b>Use as screen saver…</b> starts it "
                      "when the computer is idle; see <tt>man inkspin-idle</tt>), "
                      "and for headless renders.</p><table>")
                       .arg(QString::fromStdString(PreferencesFilePath(PreferenceKeys::kDomain)).toHtmlEscaped());
    for (const OptionSpec& option : SettingOptions()) {
        QString help = QString::fromUtf8(option.help);
        help[0] = help[0].toUpper();
        text += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                    .arg(QString::fromStdString(PlainLabel(option)).toHtmlEscaped(), help.toHtmlEscaped());
    }
    text += tr("</table><p>Every setting can also be given to <tt>inkspin</tt> for one run (<tt>inkspin --help</tt>, "
               "<tt>man inkspin</tt>).</p>");
    // In a page that scrolls, never taller or wider than the screen (a message box grows with its text).
    QDialog box(this);
    box.setWindowTitle(tr("Inkspin Help"));
    auto* page = new QTextBrowser;
    page->setHtml(text);
    auto* close = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(close, &QDialogButtonBox::rejected, &box, &QDialog::reject);
    auto* layout = new QVBoxLayout(&box);
    layout->addWidget(page);
    layout->addWidget(close);
    box.resize(QSize(640, 560).boundedTo(RoomOnScreen(*this)));
    box.exec();
}

void SettingsWindow::previewFullScreen()
{
    QString error;
    if (FullScreenPreview::Start(FullScreenPreview::SettingArguments(preview_->view()), &error) == nullptr)
        QMessageBox::warning(this, tr("Preview full screen"), tr("The saver could not be started: %1").arg(error));
}

void SettingsWindow::useInXScreenSaver()
{
    const QString title = tr("Use in XScreenSaver");
    const auto answer = QMessageBox::question(
        this, title,
        tr("Inkspin will be in XScreenSaver's list of screen savers. Should XScreenSaver show Inkspin alone? (No: "
           "XScreenSaver picks one of its screen savers at random each time.)"),
        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Cancel)
        return;
    ListRequest request;
    request.mode = answer == QMessageBox::Yes ? ListMode::Alone : ListMode::AmongOthers;
    std::string message;
    ListChange change;
    bool done = UseInXScreenSaver(request, &message, &change);
    if (done && !change.elsewhere.empty()
        && QMessageBox::question(this, title,
                                 tr("XScreenSaver's list runs Inkspin from %1, not the one installed with this "
                                    "window. Run the installed one instead?")
                                     .arg(QString::fromStdString(change.elsewhere)))
            == QMessageBox::Yes) {
        request.useInstalled = true;
        done = UseInXScreenSaver(request, &message, &change);
    }
    if (done)
        QMessageBox::information(this, title, QString::fromStdString(message) + ".");
    else
        QMessageBox::warning(this, title, tr("Not done: ") + QString::fromStdString(message));
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    if (sheetEdited()) {
        const auto answer = QMessageBox::question(this, tr("Inkspin Settings"),
                                                  tr("Save the changes to the settings before closing?"),
                                                  QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                                                  QMessageBox::Save);
        if (answer == QMessageBox::Cancel) {
            event->ignore();
            return;
        }
        if (answer == QMessageBox::Save) {
            if (auto* save = sheet_->findChild<QPushButton*>(QStringLiteral("saveButton")))
                save->click();
            if (!sheetArea_->isHidden()) { // the save failed: the sheet says why, and keeps the edits
                event->ignore();
                return;
            }
        }
    }
    // The sheet's controls call the view: remove them before the view stops.
    delete sheet_.data();
    preview_->stop();
    event->accept();
}
