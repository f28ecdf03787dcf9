#include "tests/common/TestEnvironment.h"

#include "support/memory/MemoryPoolTesting.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TemporaryConfigHome::TemporaryConfigHome()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "inkspin-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
    if (const char* old = std::getenv("XDG_CONFIG_HOME"))
        previous_ = old;
    setenv("XDG_CONFIG_HOME", path_.c_str(), 1);
}

TemporaryConfigHome::~TemporaryConfigHome()
{
    if (previous_)
        setenv("XDG_CONFIG_HOME", previous_->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

void TemporaryConfigHome::writePreferences(const std::string& generalSection) const
{
    std::filesystem::create_directories(preferencesFile().parent_path());
    std::ofstream(preferencesFile()) << "[General]\n" << generalSection;
}

ManualClock::ManualClock()
{
    WallClockSetSource([this] {
        const auto micro = static_cast<std::int64_t>(std::llround(now_ * 1e6));
        return WallTime{micro / 1000000, micro % 1000000};
    });
}

ManualClock::~ManualClock() { WallClockSetSource({}); }

namespace {

// Whether the pixel shows the colour (0 to 1 per channel, clamped) within `tolerance` per channel.
bool Shows(const Pixel& p, float r, float g, float b, int tolerance)
{
    auto off = [tolerance](int channel, float v) {
        return std::abs(channel - int(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f))) > tolerance;
    };
    return !off(p.r, r) && !off(p.g, g) && !off(p.b, b);
}

} // namespace

PixelKind Classify(const Pixel& p, const RGBColour& shade)
{
    if (p == kDefaultBackground)
        return PixelKind::Background;
    if (Shows(p, 0.33f, 0.28f, 0.23f, 0))
        return PixelKind::Outline;
    for (const float intensity : {0.6f, 0.9f, 1.0f}) {
        const float texel = std::round(intensity * 255.0f) / 255.0f;
        if (Shows(p, shade.r * texel, shade.g * texel, shade.b * texel, 2))
            return PixelKind::Shade;
    }
    return PixelKind::Other;
}

double Share(const std::vector<Pixel>& image, PixelKind kind, const RGBColour& shade)
{
    const auto n = std::count_if(image.begin(), image.end(), [&](const Pixel& p) { return Classify(p, shade) == kind; });
    return double(n) / double(std::max<std::size_t>(image.size(), 1));
}

void ViewTest::SetUp()
{
    config_ = std::make_unique<TemporaryConfigHome>();
    clock_ = std::make_unique<ManualClock>();
    std::string error;
    context_ = EglContext::create(16, &error);
    ASSERT_TRUE(context_) << error;
    OpenGLSetContextProvider([this](const OpenGLPixelFormat&) -> OpenGLContext* { return context_.get(); });
}

void ViewTest::TearDown()
{
    OpenGLSetContextProvider({});
    context_.reset();
    clock_.reset();
    config_.reset();
    MemorySetFailAfter(-1);
}

std::unique_ptr<InkspinView> ViewTest::makeView(Rect frame)
{
    auto view = std::make_unique<InkspinView>();
    EXPECT_TRUE(view->initWithFrame(frame, false));
    return view;
}

std::unique_ptr<InkspinView> ViewTest::startView(int width, int height, void (*configure)(InkspinView&))
{
    auto view = makeView({0, 0, float(width), float(height)});
    view->setFrameSize({float(width), float(height)});
    if (configure != nullptr)
        configure(*view);
    view->startAnimation();
    return view;
}

void ViewTest::frame(InkspinView& view, int ticks)
{
    // A little over the ticks, so that exactly that many elapse from the view's last frame.
    clock_->set(view.gTime + (ticks == 0 ? 256 : ticks) * InkspinView::kAnimationInterval + 0.000002);
    view.animateOneFrame();
}

std::vector<Pixel> ViewTest::pixels()
{
    const std::vector<std::uint8_t> rgb = context_->readPixelsRGB();
    std::vector<Pixel> result(rgb.size() / 3);
    for (std::size_t i = 0; i < result.size(); ++i)
        result[i] = {rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]};
    return result;
}
