// The eighteen settings in a real preferences file in a temporary XDG_CONFIG_HOME: defaults, round trips, files
// that cannot be read, other keys and other processes.
#include "tests/common/TestEnvironment.h"

#include "platform/PreferencesStore.h"
#include "saver/InkspinDefaults.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::unique_ptr<InkspinView> LoadedView()
{
    auto view = std::make_unique<InkspinView>();
    view->loadPrefs();
    EXPECT_EQ(view->gPrefsLoaded, 1);
    return view;
}

void ExpectDefaults(const InkspinView& v)
{
    namespace D = InkspinDefaults;
    EXPECT_EQ(v.gZoomBackground, 1);
    EXPECT_EQ(v.gBufferScale, D::kBufferScale);
    EXPECT_EQ(v.gBackgroundColor.r, 0.6f);
    EXPECT_EQ(v.gBackgroundColor.g, 0.52f);
    EXPECT_EQ(v.gBackgroundColor.b, 0.45f);
    EXPECT_EQ(v.gOutlineColor.r, 0.33f);
    EXPECT_EQ(v.gOutlineColor.g, 0.28f);
    EXPECT_EQ(v.gOutlineColor.b, 0.23f);
    EXPECT_EQ(v.gOutlineWidth, 2.75f);
    EXPECT_EQ(v.gDrawOutlines, 1);
    EXPECT_EQ(v.gShadeColor.r, 1.0f);
    EXPECT_EQ(v.gShadeColor.g, 0.85f);
    EXPECT_EQ(v.gShadeColor.b, 0.71f);
    EXPECT_EQ(v.gShadeStartPosition, 4);
    EXPECT_EQ(v.gShadeEndPosition, 20);
    EXPECT_EQ(v.gShadeStartIntensity, 0.6f);
    EXPECT_EQ(v.gShadeEndIntensity, 1.0f);
    EXPECT_EQ(v.gShadeLevels, 1);
}

class PreferencesTest : public ::testing::Test {
protected:
    TemporaryConfigHome config;
};

TEST_F(PreferencesTest, EmptyStoreGivesTheDefaultsAndCreatesNothing)
{
    auto view = LoadedView();
    ExpectDefaults(*view);
    EXPECT_EQ(view->gNewZoomBackground, 0) << "loading leaves the pending fields alone";
    EXPECT_FALSE(fs::exists(config.path() / "inkspin"));
}

TEST_F(PreferencesTest, EachKeyFallsBackOnItsOwn)
{
    config.writePreferences("InkspinShadeLevels=7\n"
                            "InkspinOutlinesEnabled=false\n"
                            "InkspinShadeStartPosition=25\n"
                            "InkspinShadeEndPosition=10\n"
                            "InkspinBackgroundColorRed=abc\n"      // not a float
                            "InkspinBackgroundEnabled=maybe\n"     // not a boolean
                            "InkspinShadeColorGreen=0.5x\n"
                            "InkspinOutlinesWidth=nan\n"           // a float, taken as it stands
                            "InkspinShadeEndIntensity=inf\n");
    auto view = LoadedView();
    EXPECT_EQ(view->gShadeLevels, 7);
    EXPECT_EQ(view->gDrawOutlines, 0);
    EXPECT_EQ(view->gShadeStartPosition, 25) << "positions load as stored, even out of order";
    EXPECT_EQ(view->gShadeEndPosition, 10);
    EXPECT_EQ(view->gBackgroundColor.r, 0.6f);
    EXPECT_EQ(view->gZoomBackground, 1);
    EXPECT_EQ(view->gShadeColor.g, 0.85f);
    EXPECT_TRUE(std::isnan(view->gOutlineWidth));
    EXPECT_TRUE(std::isinf(view->gShadeEndIntensity));
    EXPECT_EQ(view->gShadeColor.r, 1.0f);

    for (const char* bad : {"1.5", "99999999999", "", "0x10", "7 8"}) {
        config.writePreferences(std::string("InkspinShadeLevels=") + bad + "\n");
        EXPECT_EQ(LoadedView()->gShadeLevels, 1) << bad;
    }
}

TEST_F(PreferencesTest, SecondLoadReadsNothing)
{
    auto view = LoadedView();
    config.writePreferences("InkspinOutlinesWidth=8\n");
    view->loadPrefs();
    EXPECT_EQ(view->gOutlineWidth, 2.75f);
    EXPECT_EQ(LoadedView()->gOutlineWidth, 8.0f) << "a file written meanwhile is read by the next view";
}

TEST_F(PreferencesTest, SaveThenLoadIsExact)
{
    InkspinView saved;
    saved.gNewZoomBackground = 0;
    saved.gZoomBackground = 1; // live until the next frame; the store gets the pending choice
    saved.gNewBufferScale = 1.2345678f;
    saved.gBackgroundColor = {0.6f, 1e-38f, -0.0f};
    saved.gOutlineColor = {0.1f, 0.2f, 0.3f};
    saved.gOutlineWidth = std::numeric_limits<float>::quiet_NaN();
    saved.gDrawOutlines = 1;
    saved.gShadeColor = {std::numeric_limits<float>::infinity(), 0.33333334f, 3.4028235e38f};
    saved.gShadeStartPosition = std::numeric_limits<std::int32_t>::min();
    saved.gShadeEndPosition = std::numeric_limits<std::int32_t>::max();
    saved.gShadeStartIntensity = 0.1f;
    saved.gShadeEndIntensity = 0.7f;
    saved.gShadeLevels = -3;
    saved.savePrefs();
    EXPECT_NE(ReadFile(config.preferencesFile()).find("InkspinBackgroundEnabled=false"), std::string::npos);

    auto loaded = LoadedView();
    EXPECT_EQ(loaded->gZoomBackground, 0);
    EXPECT_EQ(loaded->gBufferScale, 1.2345678f);
    auto bits = [](float f) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        return u;
    };
    EXPECT_EQ(bits(loaded->gBackgroundColor.r), bits(0.6f));
    EXPECT_EQ(bits(loaded->gBackgroundColor.g), bits(1e-38f));
    EXPECT_EQ(bits(loaded->gBackgroundColor.b), bits(-0.0f));
    EXPECT_TRUE(std::isnan(loaded->gOutlineWidth));
    EXPECT_EQ(loaded->gDrawOutlines, 1);
    EXPECT_EQ(loaded->gShadeColor.r, std::numeric_limits<float>::infinity());
    EXPECT_EQ(bits(loaded->gShadeColor.g), bits(0.33333334f));
    EXPECT_EQ(loaded->gShadeColor.b, 3.4028235e38f);
    EXPECT_EQ(loaded->gShadeStartPosition, std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(loaded->gShadeEndPosition, std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(loaded->gShadeLevels, -3);
    EXPECT_EQ(loaded->gShadeEndIntensity, 0.7f);
}

TEST_F(PreferencesTest, UnreadableFilesGiveDefaultsAndAreLeftAlone)
{
    const std::string junk("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xfe[General\n=\x01\x02", 30);
    const std::string truncated = "[General]\nInkspinShadeLevels=";
    for (const std::string& content : {junk, truncated}) {
        fs::create_directories(config.preferencesFile().parent_path());
        std::ofstream(config.preferencesFile(), std::ios::binary) << content;
        ExpectDefaults(*LoadedView());
        EXPECT_EQ(ReadFile(config.preferencesFile()), content) << "not overwritten until the user saves";
        InkspinView saver;
        saver.gShadeLevels = 6;
        saver.savePrefs();
        EXPECT_EQ(LoadedView()->gShadeLevels, 6) << "and a save over it is kept";
    }
    fs::remove(config.preferencesFile());
    fs::create_directories(config.preferencesFile()); // a directory where the file belongs
    ExpectDefaults(*LoadedView());
    EXPECT_TRUE(fs::is_directory(config.preferencesFile()));
    InkspinView saver;
    saver.savePrefs(); // cannot write: nothing breaks
    EXPECT_TRUE(fs::is_directory(config.preferencesFile()));
}

TEST_F(PreferencesTest, UnreadableForPermissions)
{
    config.writePreferences("InkspinShadeLevels=5\n");
    fs::permissions(config.preferencesFile(), fs::perms::none);
    // Root reads any file whatever its mode, so the load runs in a child that gives up root for "nobody".
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        InkspinView view;
        view.loadPrefs();
        _exit(view.gPrefsLoaded == 1 && view.gShadeLevels == 1 && view.gOutlineWidth == 2.75f ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "an unreadable file gives the defaults";
    fs::permissions(config.preferencesFile(), fs::perms::owner_read, fs::perm_options::add);
    EXPECT_EQ(ReadFile(config.preferencesFile()), "[General]\nInkspinShadeLevels=5\n");
}

TEST_F(PreferencesTest, SaveKeepsOtherKeysAndReplacesTheFileWhole)
{
    config.writePreferences("SomebodyElsesKey=kept\nInkspinShadeLevels=9\n");
    {
        std::ofstream(config.preferencesFile(), std::ios::app) << "[Elsewhere]\nsize=3\n";
    }
    struct stat before{};
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &before), 0);
    auto view = LoadedView();
    view->gShadeLevels = 4;
    view->savePrefs();
    struct stat after{};
    ASSERT_EQ(stat(config.preferencesFile().c_str(), &after), 0);
    // A new inode: the file was written aside and renamed over the old one, never rewritten in place.
    EXPECT_NE(before.st_ino, after.st_ino);
    const std::string text = ReadFile(config.preferencesFile());
    EXPECT_NE(text.find("SomebodyElsesKey=kept"), std::string::npos);
    EXPECT_NE(text.find("size=3"), std::string::npos);
    EXPECT_NE(text.find("InkspinShadeLevels=4"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(config.preferencesFile().parent_path()))
        EXPECT_EQ(entry.path(), config.preferencesFile()) << "nothing left beside the file";
}

TEST_F(PreferencesTest, ConcurrentSavesEndAsOneCompleteSet)
{
    constexpr int kWriters = 3;
    pid_t children[kWriters];
    for (int w = 0; w < kWriters; ++w) {
        children[w] = fork();
        ASSERT_GE(children[w], 0);
        if (children[w] == 0) {
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
    for (pid_t child : children) {
        int status = 0;
        waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    auto view = LoadedView();
    const int w = view->gShadeLevels - 1;
    ASSERT_TRUE(w >= 0 && w < kWriters);
    const float mark = 0.125f * float(w + 1);
    for (float value : {view->gBufferScale, view->gOutlineWidth, view->gShadeStartIntensity, view->gShadeEndIntensity,
                        view->gBackgroundColor.r, view->gBackgroundColor.g, view->gBackgroundColor.b,
                        view->gOutlineColor.r, view->gOutlineColor.g, view->gOutlineColor.b, view->gShadeColor.r,
                        view->gShadeColor.g, view->gShadeColor.b})
        EXPECT_EQ(value, mark);
    EXPECT_EQ(view->gShadeStartPosition, w + 1);
    EXPECT_EQ(view->gShadeEndPosition, w + 1);
}

TEST_F(PreferencesTest, NoHomeMeansAnEmptyStoreThatSavesNothing)
{
    const char* home = std::getenv("HOME");
    const std::string savedHome = home == nullptr ? "" : home;
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    EXPECT_EQ(PreferencesFilePath("org.inkspin.saver"), "");
    InkspinView saver;
    saver.gShadeLevels = 12;
    saver.savePrefs();
    ExpectDefaults(*LoadedView());
    setenv("HOME", config.path().c_str(), 1);
    EXPECT_EQ(PreferencesFilePath("org.inkspin.saver"), (config.path() / ".config/inkspin/org.inkspin.saver.conf").string());
    if (!savedHome.empty())
        setenv("HOME", savedHome.c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
}

} // namespace
