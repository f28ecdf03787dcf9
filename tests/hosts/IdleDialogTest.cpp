// "Use as screen saver": the idle watcher's settings on real Qt widgets, with the real inkspin-idle asked what this
// desktop offers. Runs on Xvfb (settings_window_tests: not a Wayland session) and under sway
// (settings_window_wayland: org_kde_kwin_idle), where the watcher it turns on runs for real until it turns it off.
#include "tests/common/TestEnvironment.h"

#include "hosts/common/OnePerSession.h"
#include "hosts/idle/IdleSettings.h"
#include "hosts/settings-app/IdleAutostart.h"
#include "hosts/settings-app/IdleDialog.h"
#include "hosts/settings-app/SettingsWindow.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <optional>

namespace {

bool Within(int seconds, const std::function<bool()>& done)
{
    for (int i = 0; i < seconds * 10 && !done(); ++i)
        QTest::qWait(100);
    return done();
}

TEST(IdleDialogTest, SavesWhatTheWatcherReadsAndTurnsItOnAndOff)
{
    TemporaryConfigHome config;
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    {
        SettingsWindow window; // offers what this session can use
        EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("idleButton")) != nullptr, wayland);
        EXPECT_EQ(window.findChild<QPushButton*>(QStringLiteral("xscreensaverButton")) == nullptr, wayland);
    }
    IdleDialog dialog(QStringLiteral(INKSPIN_IDLE_BINARY));
    EXPECT_FALSE(dialog.enabled()->isChecked());
    EXPECT_EQ(dialog.startMinutes()->value(), kDefaultStartMinutes);
    EXPECT_EQ(dialog.lockMinutes()->text(), QStringLiteral("never"));
    dialog.enabled()->setChecked(true);
    dialog.startMinutes()->setValue(7);
    dialog.lockMinutes()->setValue(3);
    const QString status = dialog.status()->text();
    EXPECT_TRUE(wayland ? status.contains(QStringLiteral("after 7 minutes"))
                            && status.contains(QStringLiteral("lock 3 minutes later"))
                            && status.contains(QStringLiteral("org_kde_kwin_idle"))
                        : status.contains(QStringLiteral("not a Wayland session")))
        << status.toStdString();
    dialog.accept();

    // What the store wrote is what the watcher reads; the entry names the watcher, quoted as the format wants.
    const IdleSettings saved = ReadIdleSettings();
    EXPECT_EQ(saved.startMinutes, 7);
    EXPECT_EQ(saved.lockMinutes, 3);
    EXPECT_TRUE(IdleAutostartOn());
    EXPECT_NE(ReadFile(IdleAutostartPath()).find("\nExec=\"" INKSPIN_IDLE_BINARY "\"\n"), std::string::npos);
    if (wayland) {
        EXPECT_TRUE(Within(5, [] { return OnePerSessionHolder("inkspin-idle") > 0; })); // for this session too
    }

    IdleDialog again(QStringLiteral(INKSPIN_IDLE_BINARY));
    EXPECT_TRUE(again.enabled()->isChecked());
    EXPECT_EQ(again.lockMinutes()->value(), 3);
    again.enabled()->setChecked(false);
    again.accept();
    EXPECT_FALSE(IdleAutostartOn());
    EXPECT_NE(access(IdleAutostartPath().c_str(), F_OK), 0);
    EXPECT_TRUE(Within(5, [] { return OnePerSessionHolder("inkspin-idle") == 0; }));

    // A path with the characters an Exec key reserves; an entry the user hid by hand is off.
    std::string why;
    ASSERT_TRUE(SetIdleAutostart(true, "/opt/a \"b\\c$d`/inkspin-idle", &why)) << why;
    EXPECT_NE(ReadFile(IdleAutostartPath()).find("\nExec=\"/opt/a \\\\\"b\\\\\\c\\\\$d\\\\`/inkspin-idle\"\n"),
              std::string::npos) << ReadFile(IdleAutostartPath());
    std::ofstream(IdleAutostartPath(), std::ios::app) << "Hidden=true\n";
    EXPECT_FALSE(IdleAutostartOn());
    EXPECT_FALSE(IdleDialog(QStringLiteral(INKSPIN_IDLE_BINARY)).enabled()->isChecked());
}

// A lock file its watcher left behind names nobody: the pid in it may be another program's by now, and turning the
// watcher off must not signal it.
TEST(IdleDialogTest, AStaleLockNamesNoWatcher)
{
    TemporaryConfigHome config;
    const char* const names[] = {"XDG_RUNTIME_DIR", "WAYLAND_DISPLAY"};
    std::optional<QByteArray> was[2];
    for (int i = 0; i < 2; ++i)
        was[i] = qEnvironmentVariableIsSet(names[i]) ? std::optional(qgetenv(names[i])) : std::nullopt;
    qputenv(names[0], QByteArray::fromStdString(config.path().string()));
    qputenv(names[1], "wayland-stale");
    std::ofstream(config.path() / "inkspin-idle-wayland-stale.lock") << getpid() << "\n";
    EXPECT_EQ(OnePerSessionHolder("inkspin-idle"), 0);
    for (int i = 0; i < 2; ++i)
        was[i] ? qputenv(names[i], *was[i]) : qunsetenv(names[i]);
}

} // namespace
