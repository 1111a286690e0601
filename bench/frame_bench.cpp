// Drawing on the offscreen device with a 10922-triangle model: one Render
// beside an empty frame (clear and present only), and the time from the
// file name to the first presented frame (count, load, upload, draw,
// present) beside the bare parse of the same file.
#include "DeviceRig.h"
#include "GeneratedModel.h"
#include "view/WindowFigures.h"
#include "model/TriReader.h"
#include "view/VertexStore.h"
#include "view/FrameRenderer.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace triview::bench {
namespace {

// The device of the running program, made once.
struct Device
{
    PictureTarget picture { kPictureArea };
    Direct3DObjects d3d;
    Device()
    {
        if (InitD3D(d3d, &picture, newDirectX8) != vbTrue)
            throw std::runtime_error("no device");
    }
};

Device& device()
{
    static Device instance;
    return instance;
}

// The program's first frame: start pose, camera at 8.
constexpr Pose kStartPose { false, 0.0f, { 0, 0, 0 }, 0.0f, kStartDistance };

void load(Device& d, std::int16_t& count)
{
    std::int16_t cursor = 0;
    count = counttri(generatedModelFile());
    VertexStore store(windowSlot(d.d3d), count);
    loadtri(generatedModelFile(), count, cursor, store);
}

void BM_BareParse(benchmark::State& state)
{
    const std::string text = readFile(generatedModelFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(bareParse(text));
}

void BM_FirstFrame(benchmark::State& state)
{
    Device& d = device();
    for (auto _ : state) {
        std::int16_t count = 0;
        load(d, count);
        Render(d.d3d, count, kStartPose);
    }
}

void BM_EmptyFrame(benchmark::State& state)
{
    Direct3DDevice8& dev = *device().d3d.D3DDevice;
    for (auto _ : state) {
        dev.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
        dev.BeginScene();
        dev.EndScene();
        dev.Present(nullptr, nullptr, nullptr, nullptr);
    }
}

void BM_Render(benchmark::State& state)
{
    Device& d = device();
    std::int16_t count = 0;
    load(d, count);
    const Pose turning { true, 12.5f, {}, 0.0f,
        kStartDistance }; // by the clock, as most frames are
    for (auto _ : state)
        Render(d.d3d, count, turning);
}

BENCHMARK(BM_BareParse)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FirstFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Render)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
} // namespace triview::bench

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
