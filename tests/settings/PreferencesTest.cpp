// The eighteen settings in a real preferences file in a temporary XDG_CONFIG_HOME: defaults, values it cannot read,
// files that cannot be read, other keys, other processes, no home at all. Exact round trips (the file's text for the
// defaults and for a set of extremes) are checked against the golden files by the settings sheet's tests.
#include "tests/common/TestEnvironment.h"

#include "platform/PreferencesStore.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>

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
                            "InkspinOutlinesEnabled=false\n"
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

// A file that cannot be read gives the defaults; junk that QSettings reads as nothing is replaced by a save. Every
// other way a save can be refused (a file the load did not read, one the save would push past 1 MiB, a lock path that
// is no file, a lock another program holds, a folder that cannot be written or made) leaves the file as it was and
// says why, naming it, within about a second. A lock left by a dead process of this host is broken, as always.
TEST_F(PreferencesTest, SavesNeverLoseAFileAndSayWhyTheyCannot)
{
    const fs::path folder = config.path() / "inkspin", file = config.preferencesFile(), lock = file.string() + ".lock";
    char host[256] = "";
    gethostname(host, sizeof host);
    const bool root = geteuid() == 0; // reads and writes whatever the permissions
    struct Case {
        const char* what;
        std::function<void()> make;
        bool saved, unreadable;
    };
    const Case cases[] = {
        {"junk", [&] { std::ofstream(file, std::ios::binary) << std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[General\n=\x01", 29); }, true, true},
        {"a truncated line", [&] { std::ofstream(file) << "[General]\nInkspinShadeLevels="; }, true, true},
        {"a FIFO", [&] { fs::remove(file), mkfifo(file.c_str(), 0600); }, false, true}, // opening it would block for ever
        {"2 MiB", [&] { fs::resize_file(file, 2 << 20); }, false, true},                // reading it would cost its size
        {"a directory", [&] { fs::remove(file), fs::create_directories(file); }, false, true},
        {"no permission", [&] { fs::permissions(file, fs::perms::none); }, root, !root},
        {"a file near 1 MiB", [&] { std::ofstream(file, std::ios::app) << "Padding=" << std::string((1 << 20) - 80, 'x') << "\n"; }, false, false},
        {"a lock path that is a directory", [&] { fs::create_directories(lock); }, false, false},
        {"a lock held on another host", [&] { std::ofstream(lock) << "4242\ninkspin-settings\nelsewhere.example\n"; }, false, false},
        {"a lock held here by a live process", [&] { // as QLockFile writes it: pid, program, host
             const std::string program = fs::read_symlink("/proc/" + std::to_string(getppid()) + "/exe").filename();
             std::ofstream(lock) << getppid() << "\n" << program << "\n" << host << "\n";
         }, false, false},
        {"a lock left here by a dead process", [&] { std::ofstream(lock) << 999999 << "\nx\n" << host << "\n"; }, true, false},
        {"a folder that cannot be written", [&] { fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec); }, root, false},
        {"XDG_CONFIG_HOME/inkspin a file", [&] { fs::remove_all(folder), std::ofstream(folder.string()); }, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (fs::is_directory(folder))
            fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
        config.writePreferences("InkspinShadeLevels=5\nSomebodyElsesKey=kept\n");
        c.make();
        auto state = [&] { return fs::is_regular_file(file) && !c.unreadable ? ReadFile(file) : std::to_string(int(fs::status(file).type())); };
        const std::string before = state();
        auto view = LoadedView();
        EXPECT_EQ(c.unreadable ? HasDefaults(*view) : view->gShadeLevels == 5, true);
        EXPECT_EQ(state(), before) << "not touched by a load";
        view->gShadeLevels = 9;
        std::string reason;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(view->savePrefs(&reason), c.saved) << reason;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3)) << "the window would freeze";
        if (c.saved) {
            EXPECT_EQ(LoadedView()->gShadeLevels, 9);
        } else {
            EXPECT_NE(reason.find(folder.string()), std::string::npos) << reason;
            EXPECT_EQ(state(), before) << "a refused save changes nothing";
        }
    }
}

TEST_F(PreferencesTest, SaveKeepsOtherKeysAndReplacesTheFileWhole)
{
    config.writePreferences("SomebodyElsesKey=kept\nInkspinShadeLevels=9\n[Elsewhere]\nsize=3\n");
    struct stat before{}, after{};
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &before), 0);
    auto view = LoadedView();
    view->gShadeLevels = 4;
    view->savePrefs();
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &after), 0);
    // A new inode: the file was written aside and renamed over the old one, never rewritten in place.
    EXPECT_NE(before.st_ino, after.st_ino);
    const std::string text = ReadFile(config.preferencesFile());
    for (const char* kept : {"SomebodyElsesKey=kept", "size=3", "InkspinShadeLevels=4"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    for (const auto& entry : fs::directory_iterator(config.preferencesFile().parent_path()))
        EXPECT_EQ(entry.path(), config.preferencesFile()) << "nothing left beside the file";
}

TEST_F(PreferencesTest, ConcurrentSavesEndAsOneCompleteSet)
{
    pid_t children[3];
    for (int w = 0; w < 3; ++w) {
        if ((children[w] = fork()) == 0) {
            InkspinView view;
            const float mark = 0.125f * float(w + 1);
            view.gNewBufferScale = view.gOutlineWidth = view.gShadeStartIntensity = view.gShadeEndIntensity = mark;
            view.gBackgroundColor = view.gOutlineColor = view.gShadeColor = {mark, mark, mark};
            view.gShadeLevels = view.gShadeStartPosition = view.gShadeEndPosition = w + 1;
            for (int i = 0; i < 40; ++i)
                view.savePrefs();
            _exit(0);
        }
    }
    for (pid_t child : children)
        waitpid(child, nullptr, 0);
    auto view = LoadedView();
    const float mark = 0.125f * float(view->gShadeLevels);
    for (float value : {view->gBufferScale, view->gOutlineWidth, view->gShadeStartIntensity, view->gShadeEndIntensity,
                        view->gBackgroundColor.r, view->gOutlineColor.g, view->gShadeColor.b})
        EXPECT_EQ(value, mark);
    EXPECT_EQ(view->gShadeEndPosition, view->gShadeLevels);
}

TEST_F(PreferencesTest, NoHomeMeansAnEmptyStoreThatSavesNothing)
{
    EXPECT_EQ(InChild([this] {
                  unsetenv("XDG_CONFIG_HOME");
                  unsetenv("HOME");
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
