// The eighteen settings in a real preferences file in a temporary XDG_CONFIG_HOME: defaults, values it cannot read,
// files that cannot be read, other keys, other processes, no home at all. Exact round trips (the file's text for the
// defaults and for a set of extremes) are checked against the golden files by the settings sheet's tests.
#include "tests/common/TestEnvironment.h"

#include "platform/IniText.h"
#include "platform/PreferencesStore.h"
#include "support/files/LockFile.h"

#include <QLockFile>
#include <QSettings>
#include <QVariant>

#include <dlfcn.h>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>

namespace fs = std::filesystem;

namespace {

std::unique_ptr<InkspinView> LoadedView()
{
    auto view = std::make_unique<InkspinView>();
    view->loadPrefs();
    EXPECT_EQ(view->gPrefsLoaded, 1);
    return view;
}

// Whether the eighteen fields, saved aside (the zoom from the live fields), give the defaults' golden file.
bool HasDefaults(InkspinView& view)
{
    TemporaryConfigHome aside;
    view.gNewZoomBackground = view.gZoomBackground;
    view.gNewBufferScale = view.gBufferScale;
    view.savePrefs();
    return ReadFile(aside.preferencesFile()) == ReadFile(fs::path(INKSPIN_GOLDEN_DIR) / "preferences-defaults.conf");
}

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
int InChild(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0)
        _exit(body());
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The calls that put a save on the disk, in their order, while `gRecording`: this program's own fsync and rename
// stand before the C library's (which they call), so the order is seen, not trusted.
bool gRecording = false;
std::vector<std::string> gDiskCalls;

std::string FileNameOf(int fd)
{
    char target[4096] = "";
    const ssize_t n = readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target - 1);
    return fs::path(std::string(target, n > 0 ? n : 0)).filename();
}

} // namespace

extern "C" int fsync(int fd)
{
    static const auto real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    if (gRecording)
        gDiskCalls.push_back("fsync " + FileNameOf(fd));
    return real(fd);
}

extern "C" int rename(const char* from, const char* to) noexcept
{
    static const auto real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    if (gRecording)
        gDiskCalls.push_back("rename " + fs::path(from).filename().string() + " " + fs::path(to).filename().string());
    return real(from, to);
}

namespace {

class PreferencesTest : public ::testing::Test {
protected:
    TemporaryConfigHome config;
};

TEST_F(PreferencesTest, EachKeyFallsBackOnItsOwnAndLoadsOnce)
{
    auto empty = LoadedView();
    EXPECT_EQ(empty->gNewZoomBackground, 0) << "loading leaves the pending fields alone";
    EXPECT_TRUE(HasDefaults(*empty));
    EXPECT_FALSE(fs::exists(config.path() / "inkspin")) << "loading creates nothing";

    config.writePreferences("InkspinShadeLevels=7\n"
                            "InkspinOutlinesEnabled=0\n" // as QSettings reads a hand-written boolean
                            "InkspinShadeStartPosition=25\n"
                            "InkspinShadeEndPosition=10\n"
                            "InkspinBackgroundColorRed=abc\n"  // not a float
                            "InkspinBackgroundEnabled=maybe\n" // not a boolean
                            "InkspinShadeColorGreen=0.5x\n"
                            "InkspinOutlinesWidth=nan\n" // floats, but no setting means them
                            "InkspinShadeEndIntensity=-inf\n");
    auto view = LoadedView();
    EXPECT_EQ(view->gShadeLevels, 7);
    EXPECT_EQ(view->gDrawOutlines, 0);
    EXPECT_EQ(view->gShadeStartPosition, 25) << "positions load as stored, even out of order";
    EXPECT_EQ(view->gShadeEndPosition, 10);
    EXPECT_EQ(view->gBackgroundColor.r, 0.6f);
    EXPECT_EQ(view->gZoomBackground, 1);
    EXPECT_EQ(view->gShadeColor.g, 0.85f);
    EXPECT_EQ(view->gOutlineWidth, 2.75f);
    EXPECT_EQ(view->gShadeEndIntensity, 1.0f);
    for (const char* bad : {"1.5", "99999999999", "", "0x10", "7 8"}) {
        config.writePreferences(std::string("InkspinShadeLevels=") + bad + "\n");
        EXPECT_EQ(LoadedView()->gShadeLevels, 1) << bad;
    }
    view->loadPrefs();
    EXPECT_EQ(view->gShadeLevels, 7) << "a second load reads nothing";
}

// A file that cannot be read gives the defaults; junk keeps what it holds and gains the keys. Every other way a save
// can be refused (a file it cannot read, also when it became one after the load, a link, a result past 1 MiB, a lock
// path that is no file, a lock another program holds, a folder that cannot be written or made) leaves the file as it
// was and says why, naming it, within about a second; nothing of the refused save is written later, when the way is
// clear. A lock left by a dead process of this host is broken, as always.
TEST_F(PreferencesTest, SavesNeverLoseAFileAndSayWhyTheyCannot)
{
    const fs::path folder = config.path() / "inkspin", file = config.preferencesFile(), lock = file.string() + ".lock";
    char host[256] = "";
    gethostname(host, sizeof host);
    const bool root = geteuid() == 0; // reads and writes whatever the permissions
    // What a save of these settings adds to the table's file: the boundary rows end exactly at 1 MiB, and one past.
    config.writePreferences("InkspinShadeLevels=5\nSomebodyElsesKey=kept\n");
    const auto base = fs::file_size(file);
    LoadedView()->savePrefs();
    const auto growth = fs::file_size(file) - base, padding = (1 << 20) - base - growth - sizeof "Padding=";
    struct Case {
        const char* what;
        std::function<void()> make;
        bool saved, unreadable, afterLoad = false;
    };
    const Case cases[] = {
        {"junk", [&] { std::ofstream(file, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[General\n=\x01", 29); }, true, true},
        {"a truncated line", [&] { std::ofstream(file) << "[General]\nInkspinShadeLevels="; }, true, true},
        {"a FIFO", [&] { fs::remove(file), mkfifo(file.c_str(), 0600); }, false, true}, // opening it would block for ever
        {"2 MiB", [&] { fs::resize_file(file, 2 << 20); }, false, true},                // reading it would cost its size
        {"a directory", [&] { fs::remove(file), fs::create_directories(file); }, false, true},
        {"no permission", [&] { fs::permissions(file, fs::perms::none); }, false, !root},
        {"read-only", [&] { fs::permissions(file, fs::perms(0444)); }, false, false},
        {"a FIFO after the load", [&] { fs::remove(file), mkfifo(file.c_str(), 0600); }, false, true, true},
        {"a directory after the load", [&] { fs::remove(file), fs::create_directories(file); }, false, true, true},
        {"a symbolic link", [&] { fs::rename(file, folder / "target"), fs::create_symlink("target", file); }, false, false},
        {"a file that ends at 1 MiB once saved", [&] { std::ofstream(file, std::ios::app) << "Padding=" << std::string(padding, 'x') << "\n"; }, true, false},
        {"a file one byte over 1 MiB once saved", [&] { std::ofstream(file, std::ios::app) << "Padding=" << std::string(padding + 1, 'x') << "\n"; }, false, false},
        {"a value QSettings would escape to thrice its size", [&] { std::ofstream(file, std::ios::app) << "Bangs=" << std::string(350000, '!') << "\n"; }, true, false},
        {"a lock path that is a directory", [&] { fs::create_directories(lock); }, false, false},
        {"a lock held on another host", [&] { std::ofstream(lock) << "4242\ninkspin-settings\nelsewhere.example\n"; }, false, false},
        {"a lock held here by a live process", [&] { // as QLockFile writes it: pid, program, host
             const std::string program = fs::read_symlink("/proc/" + std::to_string(getppid()) + "/exe").filename();
             std::ofstream(lock) << getppid() << "\n" << program << "\n" << host << "\n";
         }, false, false},
        {"a lock left here by a dead process", [&] { std::ofstream(lock) << 999999 << "\nx\n" << host << "\n"; }, true, false},
        {"a lock that names no owner", [&] { std::ofstream(lock).close(), fs::last_write_time(lock, fs::file_time_type::clock::now() - std::chrono::seconds(5)); }, true, false},
        {"a folder that cannot be written", [&] { fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec); }, root, false},
        {"XDG_CONFIG_HOME/inkspin a file", [&] { fs::remove_all(folder), std::ofstream(folder.string()); }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (fs::is_directory(folder))
            fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
        config.writePreferences("InkspinShadeLevels=5\nSomebodyElsesKey=kept\n");
        if (!c.afterLoad)
            c.make();
        auto state = [&] { return fs::is_regular_file(file) && !c.unreadable ? ReadFile(file) : std::to_string(int(fs::status(file).type())); };
        std::string before = state();
        auto view = LoadedView();
        EXPECT_EQ(c.unreadable && !c.afterLoad ? HasDefaults(*view) : view->gShadeLevels == 5, true);
        EXPECT_EQ(state(), before) << "not touched by a load";
        if (c.afterLoad)
            c.make(), before = state();
        view->gShadeLevels = 9;
        std::string reason;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(view->savePrefs(&reason), c.saved) << reason;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << "the window would freeze";
        if (c.saved) {
            EXPECT_EQ(LoadedView()->gShadeLevels, 9);
            EXPECT_TRUE(c.unreadable || ReadFile(file).find("SomebodyElsesKey=kept\n") != std::string::npos);
        } else {
            EXPECT_NE(reason.find(folder.string()), std::string::npos) << reason;
            EXPECT_EQ(state(), before) << "a refused save changes nothing";
            if (fs::is_directory(folder))
                fs::permissions(folder, fs::perms::owner_all);
            fs::remove_all(folder);
            config.writePreferences("AnotherProgramsSave=1\n");
            LoadedView();
            PreferencesAppSynchronize("org.inkspin.saver");
            EXPECT_EQ(ReadFile(file), "[General]\nAnotherProgramsSave=1\n") << "written later, unasked";
        }
    }
}

// A save sets its keys and keeps every other byte: other programs' keys and groups, comments, escapes, line ends.
TEST_F(PreferencesTest, SaveKeepsOtherKeysAndReplacesTheFileWhole)
{
    const std::string others = "; a comment\r\nSomebodyElsesKey=\"a, b\" ; kept\r\n";
    config.writePreferences(others + "InkspinShadeLevels = 9 ; mine\n\n[Elsewhere]\nsize=3\n");
    const fs::path folder = config.preferencesFile().parent_path();
    std::ofstream(folder / ".org.inkspin.saver.conf.saving-Ab12Cd") << "what a save killed half-way left";
    std::ofstream(folder / "org.inkspin.saver.conf.backup") << "a user's own copy";
    ASSERT_EQ(chmod(config.preferencesFile().c_str(), 0640), 0); // its user's choice: private but to the group
    struct stat before{}, after{};
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &before), 0);
    auto view = LoadedView();
    view->gShadeLevels = 4;
    view->gNewZoomBackground = view->gZoomBackground;
    view->gNewBufferScale = view->gBufferScale;
    gRecording = true;
    view->savePrefs();
    gRecording = false;
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &after), 0);
    // A new inode: the file was written aside and renamed over the old one, never rewritten in place; its data on
    // the disk before the rename (or a crash can leave an empty file under the name), the rename after it.
    EXPECT_NE(before.st_ino, after.st_ino);
    EXPECT_EQ(after.st_mode & 07777, 0640u) << "keeps its mode";
    ASSERT_EQ(gDiskCalls.size(), 3u);
    const std::string temporary = gDiskCalls[0].substr(6);
    EXPECT_EQ(temporary.rfind(".org.inkspin.saver.conf.saving-", 0), 0u) << gDiskCalls[0];
    EXPECT_EQ(gDiskCalls[1], "rename " + temporary + " org.inkspin.saver.conf");
    EXPECT_EQ(gDiskCalls[2], "fsync inkspin");
    std::string expected = ReadFile(fs::path(INKSPIN_GOLDEN_DIR) / "preferences-defaults.conf");
    expected.replace(expected.find("InkspinShadeLevels=1\n"), 21, "");
    expected.replace(0, 10, "[General]\n" + others + "InkspinShadeLevels=4 ; mine\n");
    expected += "\n[Elsewhere]\nsize=3\n";
    EXPECT_EQ(ReadFile(config.preferencesFile()), expected);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2) << "only the file and the user's copy";
}

// The lock is the one QtCore's QLockFile takes for QSettings: a QSettings program's save and ours exclude one
// another, both ways, and QLockFile reads our lock as its live owner's, never as a stale one to break.
TEST_F(PreferencesTest, QSettingsProgramsAndOurSavesExcludeOneAnother)
{
    const std::string lockPath = config.preferencesFile().string() + ".lock";
    fs::create_directories(config.preferencesFile().parent_path());
    {
        QLockFile theirs(QString::fromStdString(lockPath));
        ASSERT_TRUE(theirs.tryLock(0));
        std::string reason;
        EXPECT_FALSE(LoadedView()->savePrefs(&reason));
        EXPECT_NE(reason.find("another program holds"), std::string::npos) << reason;
    }
    LockFile ours(lockPath);
    ASSERT_EQ(ours.tryLock(0), LockFile::Result::Locked);
    QLockFile theirs(QString::fromStdString(lockPath));
    EXPECT_FALSE(theirs.tryLock(0));
    EXPECT_FALSE(theirs.removeStaleLockFile());
    qint64 pid = 0;
    QString host, program;
    ASSERT_TRUE(theirs.getLockInfo(&pid, &host, &program));
    EXPECT_EQ(pid, getpid());
    ours.unlock();
    EXPECT_FALSE(fs::exists(lockPath));
}

// A stale lock the user cannot remove (another user's, in a shared folder) is named with the way out, not waited on
// as another program's. A root test saves as nobody, in a folder of root's that everybody may write in (sticky).
TEST_F(PreferencesTest, AStaleLockThatCannotBeRemovedSaysSo)
{
    const passwd* nobody = getpwnam("nobody");
    if (geteuid() != 0 || nobody == nullptr)
        GTEST_SKIP() << "needs root to leave a lock another user cannot remove";
    const fs::path folder = config.path() / "inkspin";
    fs::create_directories(folder);
    fs::permissions(config.path(), fs::perms(0755));
    fs::permissions(folder, fs::perms(01777));
    char host[256] = "";
    gethostname(host, sizeof host);
    std::ofstream(config.preferencesFile().string() + ".lock") << 999999 << "\nx\n" << host << "\n"; // a dead owner
    EXPECT_EQ(InChild([&] {
                  if (setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                      return 2;
                  std::string reason;
                  LoadedView()->savePrefs(&reason);
                  return reason.find("cannot be removed (Operation not permitted): remove it by hand") != std::string::npos
                      ? 0 : 1;
              }),
              0);
}

// Saves onto a disk with less room than they need, from none to enough: each either stores the whole file or says the
// disk is full and leaves the old file byte for byte, with no temporary file left behind.
TEST_F(PreferencesTest, AFullDiskFailsTheSaveAndKeepsTheFile)
{
    const fs::path folder = config.preferencesFile().parent_path(), file = config.preferencesFile();
    fs::create_directories(folder);
    const int status = InChild([&] {
        // A 256 KiB disk of its own, in a mount namespace of its own, mounted over the preferences folder.
        const uid_t uid = geteuid();
        const gid_t gid = getegid();
        if (unshare(CLONE_NEWNS | (uid != 0 ? CLONE_NEWUSER : 0)) != 0)
            return 77;
        if (uid != 0) {
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
        }
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0
            || mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=256k") != 0)
            return 77;
        int saved = 0, refused = 0;
        for (const std::size_t size : {43, 20043, 100043}) {
            for (int pages = 0; pages <= 30; pages += 3) {
                SCOPED_TRACE(std::to_string(size) + " bytes, " + std::to_string(pages) + " pages free");
                for (const auto& entry : fs::directory_iterator(folder))
                    fs::remove(entry.path());
                config.writePreferences("Other=" + std::string(size - 26, 'x') + "\nInkspinShadeLevels=5\n");
                const std::string before = ReadFile(file);
                {
                    std::ofstream filler(folder / "filler");
                    const std::string block(4096, 'f');
                    while (filler.write(block.data(), block.size()))
                        ;
                }
                fs::resize_file(folder / "filler", std::max<std::intmax_t>(0, fs::file_size(folder / "filler") - pages * 4096));
                auto view = LoadedView();
                view->gShadeLevels = 9;
                std::string reason;
                if (view->savePrefs(&reason)) {
                    ++saved;
                    EXPECT_EQ(LoadedView()->gShadeLevels, 9);
                    EXPECT_EQ(ReadFile(file).substr(0, size - 16), before.substr(0, size - 16));
                } else {
                    ++refused;
                    EXPECT_NE(reason.find("full"), std::string::npos) << reason;
                    EXPECT_EQ(ReadFile(file), before);
                }
                EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 2) << "only the file and the filler";
            }
        }
        EXPECT_GT(saved, 0);
        EXPECT_GT(refused, 0);
        return ::testing::Test::HasFailure() ? 1 : 0;
    });
    if (status == 77)
        GTEST_SKIP() << "no mount namespace here";
    EXPECT_EQ(status, 0);
}

// The INI text read here as QSettings itself reads it (each in a file of its own: QSettings caches by path): quotes,
// escapes, comments, lists and typed values, sections and their names' blanks, key escapes, the later key.
TEST(IniTextTest, ReadsTopLevelValuesAsQSettingsDoes)
{
    const std::string texts[] = {
        "K=5", "K =  \" 5 \"  ; comment", "K=\\x35\\066", "K=1,2", "K=\"1,2\"", "K=@Variant(5)", "K=5\\\n5",
        "K=5\\\r\n5", ";K=5", "\xef\xbb\xbfK=5", "[%General]\nK=5", "[Other]\nK=5\n[General]",
        "K=4\n[Other]\nK=6\n[GENERAL]\nK=5",
        "%4B=5", "K=4\n[General\v]\nK=5", "[Other]\nK=4\n[\fGeneral]\nK=5", "K\v=5", "K=a\\xg\\x", "K=@String(5)",
        "K=@ByteArray(5)", "K=@@5", "K=@5", "%U+04B=5", "%U0x4B=5", "%U 04B=5", "K=5\nK=\"6",
    };
    TemporaryConfigHome config;
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        const std::string path = (config.path() / (std::to_string(i) + ".conf")).string();
        std::ofstream(path) << texts[i];
        const QVariant read = QSettings(QString::fromStdString(path), QSettings::IniFormat).value("K");
        std::optional<std::string> qt;
        if (read.typeId() == QMetaType::QString || read.typeId() == QMetaType::QByteArray)
            qt = read.toString().toStdString();
        const auto values = IniTopLevelValues(texts[i]);
        const auto found = values.find("K");
        EXPECT_EQ(found == values.end() ? std::optional<std::string>() : found->second, qt) << texts[i];
    }
}

// What QSettings reads from a text: every key of every section (top-level ones by their own name), as text.
std::map<std::string, std::string> ReadAsQSettings(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
    QSettings settings(QString::fromStdString(path), QSettings::IniFormat);
    std::map<std::string, std::string> values;
    for (const QString& key : settings.allKeys())
        values[key.toStdString()] = settings.value(key).toString().toStdString();
    return values;
}

// A save's edit, read back by QSettings: the keys it sets read as set, every other key as before. The texts are the
// ones where an edit can go wrong: a key held twice (the later line is the one read), a text ending inside quotes or
// after a backslash (which would take added lines into its last value), values continued over line breaks.
TEST(IniTextTest, EditsReadBackByQSettingsAsMeant)
{
    const std::string texts[] = {
        "K=5\nK=6", "K=5\r\n[Other]\nK=4\r\n[General]\nK=6 ; later", "X=\"open", "X=a\\", "X=\"a\nK=5",
        "X=5\\\r\n5\r\nK=1", "K=5\\\r\n6=1", "X=5\\\n\r5\nK=1 ; c\n", "; only a comment", "\xef\xbb\xbf[Other]\nX=1",
    };
    TemporaryConfigHome config;
    const std::string path = (config.path() / "edited.conf").string();
    for (std::size_t i = 0; i < std::size(texts); ++i) {
        SCOPED_TRACE(texts[i]);
        std::map<std::string, std::string> expected = ReadAsQSettings(path + std::to_string(i), texts[i]);
        expected["K"] = "7";
        expected["New"] = "8";
        const std::string edited = IniWithTopLevelValues(texts[i], {{"K", "7"}, {"New", "8"}});
        EXPECT_EQ(ReadAsQSettings(path + std::to_string(i) + "-edited", edited), expected) << edited;
    }
}

TEST_F(PreferencesTest, NoHomeMeansAnEmptyStoreThatSavesNothing)
{
    EXPECT_EQ(InChild([this] {
                  unsetenv("XDG_CONFIG_HOME");
                  setenv("HOME", "relative", 1); // as good as none: a folder below wherever the saver started
                  InkspinView saver;
                  saver.gShadeLevels = 12;
                  saver.savePrefs();
                  const bool empty = PreferencesFilePath("org.inkspin.saver").empty() && LoadedView()->gShadeLevels == 1;
                  setenv("HOME", config.path().c_str(), 1);
                  return empty && PreferencesFilePath("org.inkspin.saver")
                              == (config.path() / ".config/inkspin/org.inkspin.saver.conf").string() ? 0 : 1;
              }),
              0);
}

} // namespace
