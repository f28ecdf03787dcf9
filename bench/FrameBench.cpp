// What a start and a frame of the saver cost on the headless context (llvmpipe here; a GPU elsewhere), and what a
// frame costs against its floor: a hand-written frame that asks OpenGL for the same work and nothing else
// (FloorFrame.h). Run with `make bench`. Budgets: the view's frame within 10% of the floor at every size, no
// allocation in the frame path, a start (without context creation) under 20 ms.
#include "bench/FloorFrame.h"
#include "hosts/headless/EglContext.h"
#include "platform/WallClock.h"
#include "saver/InkspinView.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <utility>

namespace {

// Heap allocations of the process made through operator new; the pool's own mallocs are counted by the pool test.
long gAllocations = 0;

// The preferences of whoever runs the benchmark must not change what it measures.
struct DefaultSettings {
    DefaultSettings() { setenv("XDG_CONFIG_HOME", "/nonexistent-inkspin-bench", 1); }
} gDefaultSettings;

double Milliseconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A started view past its intro, on a headless context of the given size, with a clock the benchmark advances.
struct Bench {
    std::unique_ptr<EglContext> context;
    SimulatedClock clock{1000000, 1.0 / 67.0};
    InkspinView view;

    Bench(benchmark::State& state, int width, int height, bool zoom = true, bool outlines = true)
    {
        std::string error;
        context = EglContext::create(16, &error);
        if (!context) {
            state.SkipWithError(error.c_str());
            return;
        }
        OpenGLSetContextProvider([this](const OpenGLPixelFormat&) -> OpenGLContext* { return context.get(); });
        WallClockSetSource([this] { return clock.now(); });
        view.initWithFrame({0, 0, float(width), float(height)}, false);
        view.gZoomBackground = zoom;
        view.gDrawOutlines = outlines;
        view.setFrameSize({float(width), float(height)});
        view.startAnimation();
        view.gPerAngle = 4.8f; // past the intro, where the lattice fills the screen and every pixel costs
        view.gFadeIsReady = 1;
        clock.advance();
        view.animateOneFrame();
    }
    ~Bench()
    {
        view.stopAnimation();
        WallClockSetSource({});
        OpenGLSetContextProvider({});
    }
};

// A context and its drawable; the EGL display is initialised once per process, before the first iteration.
void ContextCreation(benchmark::State& state)
{
    for (auto _ : state) {
        std::string error;
        benchmark::DoNotOptimize(EglContext::create(16, &error));
    }
    std::string error;
    if (auto context = EglContext::create(16, &error))
        state.SetLabel(reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
}
BENCHMARK(ContextCreation)->Unit(benchmark::kMillisecond);

// From starting the program to its first frame on disk: `inkspin --render` of one small frame (context creation,
// reading the preferences, the start, one frame and its PNG).
void ProcessStartToFirstFrame(benchmark::State& state)
{
    const std::string command = std::string(INKSPIN_BINARY) + " --render /tmp/inkspin-bench-frames --frames 1 --size 64x64";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("inkspin --render failed");
}
BENCHMARK(ProcessStartToFirstFrame)->Unit(benchmark::kMillisecond);

// initGL and initInkspin: unpacking, arrays, shade texture, zoom buffer; the context exists already.
void Start(benchmark::State& state)
{
    Bench bench(state, 1920, 1080);
    for (auto _ : state) {
        bench.view.stopAnimation();
        bench.view.startAnimation();
    }
}
BENCHMARK(Start)->Unit(benchmark::kMillisecond);

// The view's frame and the floor's, alternately, in the same run; args: width, height, zoom, outlines.
void Frame(benchmark::State& state)
{
    Bench bench(state, int(state.range(0)), int(state.range(1)), state.range(2) != 0, state.range(3) != 0);
    FloorFrame floor(bench.view);
    std::chrono::steady_clock::duration view{}, floorTime{};
    long allocations = 0, floorAllocations = 0;
    for (auto _ : state) {
        bench.clock.advance();
        const long before = gAllocations;
        const auto t0 = std::chrono::steady_clock::now();
        bench.view.animateOneFrame();
        const auto t1 = std::chrono::steady_clock::now();
        const long between = gAllocations;
        floor.draw();
        allocations += between - before;
        floorAllocations += gAllocations - between;
        view += t1 - t0;
        floorTime += std::chrono::steady_clock::now() - t1;
    }
    const double frames = double(state.iterations());
    state.counters["view_ms"] = Milliseconds(view) / frames;
    state.counters["floor_ms"] = Milliseconds(floorTime) / frames;
    state.counters["ratio"] = Milliseconds(view) / Milliseconds(floorTime);
    // Mesa's own C++ (LLVM compiling a new variant now and then) counts too: the floor shows how much is Mesa's.
    state.counters["allocs"] = double(allocations) / frames;
    state.counters["floor_allocs"] = double(floorAllocations) / frames;
}
BENCHMARK(Frame)
    ->ArgNames({"w", "h", "zoom", "ink"})
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (const auto& [w, h] : {std::pair{640, 480}, std::pair{1280, 720}, std::pair{1920, 1080}})
            for (const auto& [zoom, ink] : {std::pair{1, 1}, std::pair{0, 1}, std::pair{1, 0}})
                b->Args({w, h, zoom, ink});
    })
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

} // namespace

// Replacing the global allocation functions to count: their free() of malloc'ed memory is right, whatever GCC's
// matching check thinks of it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size)
{
    ++gAllocations;
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

BENCHMARK_MAIN();
