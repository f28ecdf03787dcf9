// The eighteen settings in a real preferences file in a temporary XDG_CONFIG_HOME: defaults, values it cannot read,
// exact round trips, files that cannot be read, other keys, other processes, no home at all. The file's text for
// the defaults and a custom set is checked against the golden files by the settings sheet's tests.
#include "tests/common/TestEnvironment.h"

#include "platform/PreferencesStore.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <fstream>
#include <limits>

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

TEST_F(PreferencesTest, SaveThenLoadIsExact)
{
    InkspinView saved;
    saved.gNewZoomBackground = 0;
    saved.gZoomBackground = 1; // live until the next frame; the store gets the pending choice
    saved.gNewBufferScale = 1.2345678f;
    saved.gBackgroundColor = {0.6f, 1e-38f, -0.0f};
    saved.gShadeColor = {-3.4028235e38f, 0.33333334f, 3.4028235e38f};
    saved.gShadeStartPosition = std::numeric_limits<std::int32_t>::min();
    saved.gShadeEndPosition = std::numeric_limits<std::int32_t>::max();
    saved.gShadeLevels = -3;
    saved.savePrefs();
    auto loaded = LoadedView();
    EXPECT_EQ(loaded->gZoomBackground, 0);
    EXPECT_EQ(loaded->gBufferScale, 1.2345678f);
    EXPECT_EQ(loaded->gBackgroundColor.g, 1e-38f);
    EXPECT_TRUE(std::signbit(loaded->gBackgroundColor.b)) << "-0 stays negative";
    EXPECT_EQ(loaded->gShadeColor.r, -3.4028235e38f);
    EXPECT_EQ(loaded->gShadeColor.g, 0.33333334f);
    EXPECT_EQ(loaded->gShadeColor.b, 3.4028235e38f);
    EXPECT_EQ(loaded->gShadeStartPosition, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(loaded->gShadeEndPosition, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(loaded->gShadeLevels, -3);
}

TEST_F(PreferencesTest, UnreadableFilesGiveDefaultsAndAreLeftAloneUntilASave)
{
    const std::string junk("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[General\n=\x01\x02", 30);
    for (const std::string& content : {junk, std::string("[General]\nInkspinShadeLevels=")}) {
        fs::create_directories(config.preferencesFile().parent_path());
        std::ofstream(config.preferencesFile(), std::ios::binary) << content;
        EXPECT_TRUE(HasDefaults(*LoadedView()));
        EXPECT_EQ(ReadFile(config.preferencesFile()), content) << "not overwritten until the user saves";
        InkspinView saver;
        saver.gShadeLevels = 6;
        saver.savePrefs();
        EXPECT_EQ(LoadedView()->gShadeLevels, 6) << "and a save over it is kept";
    }
    // No permission to read: root reads any file, so the load runs in a child that gives up root for "nobody".
    config.writePreferences("InkspinShadeLevels=5\n");
    fs::permissions(config.preferencesFile(), fs::perms::none);
    EXPECT_EQ(InChild([] {
                  if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                      return 3;
                  return LoadedView()->gShadeLevels == 1 ? 0 : 1;
              }),
              0);
    // A FIFO would block the load for ever and a huge file cost its size: neither is opened.
    fs::remove(config.preferencesFile());
    ASSERT_EQ(mkfifo(config.preferencesFile().c_str(), 0600), 0);
    EXPECT_TRUE(HasDefaults(*LoadedView()));
    EXPECT_TRUE(fs::is_fifo(config.preferencesFile()));
    InkspinView overFifo;
    overFifo.gShadeLevels = 6;
    overFifo.savePrefs(); // replaces it, without blocking on it either
    EXPECT_EQ(LoadedView()->gShadeLevels, 6);
    config.writePreferences("InkspinShadeLevels=5\n");
    fs::resize_file(config.preferencesFile(), 2 << 20);
    EXPECT_TRUE(HasDefaults(*LoadedView()));
    EXPECT_EQ(fs::file_size(config.preferencesFile()), 2u << 20);
    fs::remove(config.preferencesFile());
    fs::create_directories(config.preferencesFile()); // a directory where the file belongs
    EXPECT_TRUE(HasDefaults(*LoadedView()));
    InkspinView saver;
    saver.savePrefs(); // cannot write: nothing breaks
    EXPECT_TRUE(fs::is_directory(config.preferencesFile()));
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
