// `inkspin --render` end to end: the files it writes, and what it says and returns for bad input.
#include "tests/common/PngReader.h"
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Width and height from a PNG's IHDR chunk.
std::pair<int, int> PngSize(const fs::path& path)
{
    const std::string bytes = ReadFile(path);
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0)
        return {0, 0};
    auto be32 = [&](std::size_t at) {
        return (std::uint8_t(bytes[at]) << 24) | (std::uint8_t(bytes[at + 1]) << 16) | (std::uint8_t(bytes[at + 2]) << 8)
            | std::uint8_t(bytes[at + 3]);
    };
    return {int(be32(16)), int(be32(20))};
}

class RenderCommandTest : public ::testing::Test {
protected:
    TemporaryConfigHome config; // an empty preferences store: the defaults
    fs::path directory = config.path() / "frames";

    ProcessResult inkspin(std::vector<std::string> arguments, const std::vector<std::string>& environment = {})
    {
        arguments.insert(arguments.begin(), INKSPIN_BINARY);
        return RunProcess(arguments, environment);
    }
};

TEST_F(RenderCommandTest, WritesOneFileOfTheRightSizePerFrame)
{
    const ProcessResult r = inkspin({"--render", directory.string(), "--frames", "4", "--size", "96x54"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    int files = 0;
    for (const auto& entry : fs::directory_iterator(directory)) {
        ++files;
        EXPECT_EQ(PngSize(entry.path()), std::make_pair(96, 54)) << entry.path();
    }
    EXPECT_EQ(files, 4);
    EXPECT_TRUE(fs::exists(directory / "frame-0003.png"));
}

TEST_F(RenderCommandTest, SameRunSameFiles)
{
    const std::vector<std::string> options = {"--frames", "40", "--size", "120x90", "--rate", "30"};
    auto first = options, second = options;
    first.insert(first.begin(), {"--render", (directory / "a").string()});
    second.insert(second.begin(), {"-render", (directory / "b").string()});
    ASSERT_EQ(inkspin(first).status, 0);
    ASSERT_EQ(inkspin(second).status, 0);
    for (int i = 0; i < 40; i += 13) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%04d.png", i);
        EXPECT_EQ(ReadFile(directory / "a" / name), ReadFile(directory / "b" / name)) << name;
    }
}

TEST_F(RenderCommandTest, BadArgumentsNameTheArgumentAndWriteNothing)
{
    const std::string dir = directory.string();
    struct Case {
        std::vector<std::string> arguments;
        std::string named;
    };
    const Case cases[] = {
        {{"--render", dir, "--size", "0x10"}, "--size"},
        {{"--render", dir, "--size", "-5x10"}, "--size"},
        {{"--render", dir, "--size", "16385x10"}, "--size"},
        {{"--render", dir, "--size", "wide"}, "--size"},
        {{"--render", dir, "--frames", "-1"}, "--frames"},
        {{"--render", dir, "--frames", "ten"}, "--frames"},
        {{"--render", dir, "--frames", "99999999999999999999"}, "--frames"},
        {{"--render", dir, "--rate", "0"}, "--rate"},
        {{"--render", dir, "--rate", "nan"}, "--rate"},
        {{"--render", dir, "--frames"}, "--frames"},
        {{"--render"}, "--render"},
        {{"--render", dir, "--sparkle"}, "--sparkle"},
        {{"--frames", "3"}, "--frames"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = inkspin(c.arguments);
        EXPECT_EQ(r.status, 2) << c.named;
        EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "one line: " << r.err;
        EXPECT_FALSE(fs::exists(directory)) << c.named;
    }
}

TEST_F(RenderCommandTest, UnwritableDirectoryIsOneLineAndExitOne)
{
    std::ofstream(config.path() / "plain-file") << "x";
    const ProcessResult r = inkspin({"--render", (config.path() / "plain-file" / "frames").string(), "--frames", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("plain-file"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(RenderCommandTest, NoOpenGLIsOneLineAndExitOne)
{
    // With no EGL vendor library to load, there is no OpenGL at all.
    const ProcessResult r = inkspin({"--render", directory.string(), "--frames", "1"},
                                    {"__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json", "__EGL_VENDOR_LIBRARY_DIRS=/nonexistent"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("OpenGL"), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
}

TEST_F(RenderCommandTest, RendersTheUsersSettings)
{
    config.writePreferences("InkspinShadeColorRed=0\nInkspinBackgroundEnabled=false\n");
    const ProcessResult r = inkspin({"--render", directory.string(), "--frames", "100", "--size", "160x90", "--rate", "4"});
    ASSERT_EQ(r.status, 0) << r.err;
    const RgbImage image = ReadPng((directory / "frame-0099.png").string());
    ASSERT_EQ(image.width, 160);
    const Pixel background = ToPixel(0.6f, 0.52f, 0.45f), outline = ToPixel(0.33f, 0.28f, 0.23f);
    int object = 0, flat = 0;
    for (std::size_t i = 0; i < image.rgb.size(); i += 3) {
        const Pixel p = {image.rgb[i], image.rgb[i + 1], image.rgb[i + 2]};
        if (p == background) {
            ++flat;
        } else if (!(p == outline)) {
            EXPECT_EQ(p.r, 0) << "the object has no red left";
            EXPECT_GT(p.g, 0);
            ++object;
        }
    }
    EXPECT_GT(object, 160 * 90 / 4);
    EXPECT_GT(flat, 0) << "a flat background shows between the bars";
}

TEST_F(RenderCommandTest, HelpAndVersion)
{
    const ProcessResult help = inkspin({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--render DIR"), std::string::npos);
    const ProcessResult version = inkspin({"-version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("inkspin ", 0), 0u);
}

} // namespace
