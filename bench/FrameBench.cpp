// How long the saver's per-start and per-frame work takes, on the headless context (llvmpipe here; a GPU elsewhere).
// Run by hand: build/bench/inkspin_bench. Targets: a start well under 50 ms (hosts kill and relaunch savers often),
// a 1280x720 frame well under the 1/67 s tick on a desktop GPU.
#include "hosts/headless/EglContext.h"
#include "platform/WallClock.h"
#include "saver/InkspinView.h"
#include "support/data/ObjectModule.h"
#include "support/data/VertexArrays.h"
#include "support/memory/MemoryPool.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

// The preferences of whoever runs the benchmark must not change what it measures.
struct DefaultSettings {
    DefaultSettings() { setenv("XDG_CONFIG_HOME", "/nonexistent-inkspin-bench", 1); }
} gDefaultSettings;

void LoadAndMakeArrays(benchmark::State& state)
{
    for (auto _ : state) {
        const std::uint8_t module = ModuleCreate("bench");
        VertexArrayObject record{};
        ObjectLoadEmbedded(module, &record);
        Vector3* vertices = ObjectMakeVertexArray(&record, 0.1f);
        Vector3* normals = ObjectMakeNormalArray(&record, vertices);
        benchmark::DoNotOptimize(normals);
        MemoryFree(normals);
        MemoryFree(vertices);
        ModuleDelete(module);
    }
}
BENCHMARK(LoadAndMakeArrays)->Unit(benchmark::kMicrosecond);

void Frame(benchmark::State& state)
{
    std::string error;
    std::unique_ptr<EglContext> context = EglContext::create(16, &error);
    if (!context) {
        state.SkipWithError(error.c_str());
        return;
    }
    OpenGLSetContextProvider([&](const OpenGLPixelFormat&) -> OpenGLContext* { return context.get(); });
    SimulatedClock clock(1000000, 1.0 / 67.0);
    WallClockSetSource([&clock] { return clock.now(); });
    {
        InkspinView view;
        const float width = static_cast<float>(state.range(0)), height = static_cast<float>(state.range(1));
        view.initWithFrame({0, 0, width, height}, false);
        view.setFrameSize({width, height});
        view.startAnimation();
        // Past the intro, where the lattice fills the screen and every pixel costs.
        view.gPerAngle = 4.8f;
        view.gFadeIsReady = 1;
        for (auto _ : state) {
            clock.advance();
            view.animateOneFrame();
        }
        view.stopAnimation();
    }
    WallClockSetSource({});
    OpenGLSetContextProvider({});
}
BENCHMARK(Frame)->Args({640, 360})->Args({1280, 720})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
