#include "hosts/settings-app/FullScreenPreview.h"

#include "hosts/settings-app/ShownSettings.h"
#include "saver/SettingOptions.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStandardPaths>

#include <map>
#include <string>

namespace {

QString Program()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/inkspin");
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString found = QStandardPaths::findExecutable(QStringLiteral("inkspin"));
    return found.isEmpty() ? QStringLiteral("/usr/libexec/xscreensaver/inkspin") : found;
}

} // namespace

FullScreenPreview::FullScreenPreview()
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_NativeWindow); // its X window id is the saver's to draw into
    setWindowTitle(tr("Inkspin"));
    setCursor(Qt::BlankCursor);
    setPalette(QPalette(Qt::black));
    setAutoFillBackground(true);
    connect(&saver_, &QProcess::finished, this, &QWidget::close);
}

FullScreenPreview* FullScreenPreview::Start(const QStringList& settings, QString* error)
{
    auto* preview = new FullScreenPreview;
    QStringList arguments = settings;
    const bool wayland = QGuiApplication::platformName().startsWith(QStringLiteral("wayland"));
    if (wayland) {
        arguments.prepend(QStringLiteral("--root"));
    } else {
        preview->showFullScreen();
        arguments << QStringLiteral("--window-id") << QString::number(preview->winId());
    }
    preview->saver_.setProcessChannelMode(QProcess::ForwardedChannels);
    preview->saver_.start(Program(), arguments);
    if (!preview->saver_.waitForStarted(5000)) {
        *error = preview->saver_.errorString();
        delete preview;
        return nullptr;
    }
    if (!wayland) {
        preview->activateWindow();
        preview->setFocus();
    }
    return preview;
}

QStringList FullScreenPreview::SettingArguments(const InkspinView& view)
{
    const std::map<std::string, std::string> values = ShownTexts(view);
    QStringList arguments;
    for (const OptionSpec& option : SettingOptions()) {
        const QString name = QStringLiteral("--") + QString::fromUtf8(option.name);
        const std::string& first = values.at(option.keys[0]);
        if (option.kind == OptionKind::Toggle)
            arguments << (first == "true" ? name : QStringLiteral("--no-") + QString::fromUtf8(option.name));
        else if (option.kind == OptionKind::Colour)
            arguments << name
                      << QString::fromStdString(first + "," + values.at(option.keys[1]) + ","
                                                + values.at(option.keys[2]));
        else
            arguments << name << QString::fromStdString(first);
    }
    return arguments;
}

void FullScreenPreview::keyPressEvent(QKeyEvent*) { end(); }

void FullScreenPreview::mousePressEvent(QMouseEvent*) { end(); }

void FullScreenPreview::end()
{
    saver_.terminate(); // SIGTERM: the saver cleans up and ends by it, as under any screen saver
}

void FullScreenPreview::closeEvent(QCloseEvent* event)
{
    if (saver_.state() != QProcess::NotRunning) {
        saver_.terminate();
        if (!saver_.waitForFinished(3000))
            saver_.kill();
    }
    event->accept();
}
