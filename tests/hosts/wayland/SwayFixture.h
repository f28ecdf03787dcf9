// A headless sway of the test's own for tests of Wayland clients: the pixman renderer and two outputs (the second,
// HEADLESS-2, at scale 2), run as an unprivileged user when the test runs as root (sway refuses root). Outputs are
// read back with grim; a mouse is plugged in by tests/hosts/wayland/VirtualPointer.cpp, keys are typed by wtype.
#pragma once

#include "tests/common/PngReader.h"
#include "tests/common/Subprocess.h"
#include "tests/common/TestEnvironment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include <pwd.h>
#include <unistd.h>

using Image = std::vector<Pixel>;

class SwayFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(access("/usr/bin/sway", X_OK), 0) << "sway is not installed (make deps installs it)";
        char pattern[] = "/tmp/inkspin-wayland-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        runtime = pattern;
        std::ofstream(runtime / "config") << "xwayland disable\noutput HEADLESS-2 mode 1280x1024 scale 2\n";
        std::vector<std::string> argv;
        if (getuid() == 0) {
            const passwd* nobody = getpwnam("nobody");
            ASSERT_NE(nobody, nullptr) << "no user nobody to run sway as";
            ASSERT_EQ(chown(runtime.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
            argv = {"/usr/sbin/runuser", "-u", "nobody", "--"};
        }
        argv.insert(argv.end(), {"/usr/bin/env", "-i", "HOME=" + runtime.string(),
                                 "XDG_RUNTIME_DIR=" + runtime.string(), "WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                 "WLR_LIBINPUT_NO_DEVICES=1", "PATH=/usr/bin:/bin", "/usr/bin/sway", "-c",
                                 (runtime / "config").string()});
        sway = std::make_unique<BackgroundProcess>(argv);
        for (int i = 0; i < 100 && (socket.empty() || display.empty()); ++i) {
            usleep(100000);
            for (const auto& entry : std::filesystem::directory_iterator(runtime)) {
                const std::string name = entry.path().filename();
                if (name.rfind("sway-ipc.", 0) == 0)
                    socket = entry.path();
                else if (name.rfind("wayland-", 0) == 0 && name.find('.') == std::string::npos)
                    display = name;
            }
        }
        ASSERT_FALSE(socket.empty() || display.empty()) << "sway did not start: " << sway->wait(0).err;
        ASSERT_EQ(tool({"/usr/bin/swaymsg", "create_output"}).status, 0); // HEADLESS-2, beside HEADLESS-1
        config.writePreferences("InkspinBackgroundEnabled=false\n"); // every pixel is background, ink or shade
    }
    void TearDown() override
    {
        if (sway) {
            tool({"/usr/bin/swaymsg", "exit"});
            sway->wait(3.0);
        }
        sway.reset();
        std::filesystem::remove_all(runtime);
    }

    // The environment of a client of this compositor: no X display that works, so the saver must draw natively.
    std::vector<std::string> session() const
    {
        return {"XDG_RUNTIME_DIR=" + runtime.string(), "WAYLAND_DISPLAY=" + display, "SWAYSOCK=" + socket.string(),
                "DISPLAY=:99", "XSCREENSAVER_WINDOW="};
    }
    std::unique_ptr<BackgroundProcess> inkspin(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), INKSPIN_BINARY); // each test program names the saver it tests
        return std::make_unique<BackgroundProcess>(arguments, session());
    }
    // A tool of the test (swaymsg, grim, wtype, the virtual pointer), without the sanitized build's preloads.
    ProcessResult tool(const std::vector<std::string>& argv) const
    {
        std::vector<std::string> environment = session();
        environment.push_back("LD_PRELOAD=");
        return BackgroundProcess(argv, environment).wait(10.0);
    }
    void pointer(const std::vector<std::string>& action)
    {
        std::vector<std::string> argv = {INKSPIN_TEST_POINTER, "300"}; // the test program names it
        argv.insert(argv.end(), action.begin(), action.end());
        ASSERT_EQ(tool(argv).status, 0);
    }

    // The output's picture (grim -o NAME), a pixel each; its width in *width.
    Image output(const std::string& name, int* width = nullptr)
    {
        const std::string file = (runtime / (name + ".png")).string();
        if (tool({"/usr/bin/grim", "-o", name, file}).status != 0)
            return {};
        const RgbImage png = ReadPng(file);
        Image pixels(png.rgb.size() / 3);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = {png.rgb[3 * i], png.rgb[3 * i + 1], png.rgb[3 * i + 2]};
        if (width != nullptr)
            *width = png.width;
        return pixels;
    }
    // Polls the output until `done` holds (up to 10 s; by default until the lattice covers half of it, past its intro).
    Image waitFor(const std::string& name, std::function<bool(const Image&)> done = [](const Image& i) {
        return Share(i, PixelKind::Shade) > 0.5;
    })
    {
        Image pixels;
        for (int i = 0; i < 50 && (pixels.empty() || !done(pixels)); ++i) {
            usleep(200000);
            pixels = output(name);
        }
        return pixels;
    }
    void expectLattice(const std::string& name)
    {
        SCOPED_TRACE(name);
        const Image image = waitFor(name);
        EXPECT_GT(Share(image, PixelKind::Shade), 0.5);
        EXPECT_EQ(Share(image, PixelKind::Other), 0.0);
        // Ink on the edges that show, about 2 % of the picture: drawn without a depth buffer, every back edge is
        // inked too (12 to 16 %).
        EXPECT_GT(Share(image, PixelKind::Outline), 0.005);
        EXPECT_LT(Share(image, PixelKind::Outline), 0.06);
    }
    // Gives the input until the saver ends, three times at most: under load the saver may take the new device
    // (the test's mouse or keyboard) after the first event has come and gone.
    void inputUntilItEnds(BackgroundProcess& saver, const std::function<void()>& input)
    {
        for (int i = 0; i < 3 && saver.running(); ++i) {
            input();
            saver.wait(3.0);
        }
    }

    std::filesystem::path runtime, socket;
    std::string display;
    std::unique_ptr<BackgroundProcess> sway;
    TemporaryConfigHome config;
};
