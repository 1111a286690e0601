// Drawing on the offscreen device with a 10922-triangle model: one Render
// beside an empty frame (clear and present only), and the time from the
// file name to the first presented frame (count, load, upload, draw,
// present) beside the bare parse of the same file.
#include "DeviceRig.h"
#include "GeneratedModel.h"
#include "model/TriReader.h"
#include "view/ModelView.h"
#include "view/WindowFigures.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>
#include <stdexcept>
#include <variant>

namespace triview::bench {
namespace {

// The view of the running program, made once.
struct Device
{
    PictureTarget picture { kPictureArea };
    ModelView view { newDirectX8 };
    Device()
    {
        if (view.InitD3D(&picture) != vbTrue)
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

void load(Device& d)
{
    auto loaded = d.view.load(generatedModelFile(), counttri(generatedModelFile()));
    if (!std::holds_alternative<LoadedModel>(loaded))
        throw std::runtime_error(std::get<ViewFailure>(loaded).message);
    d.view.show(std::get<LoadedModel>(std::move(loaded)));
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
        load(d);
        d.view.Render(kStartPose);
    }
}

void BM_EmptyFrame(benchmark::State& state)
{
    // A device of its own, as the view makes it.
    test::DeviceRig rig;
    if (rig.init() != vbTrue)
        throw std::runtime_error("no device");
    Direct3DDevice8& dev = *rig.d3d.D3DDevice;
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
    load(d);
    const Pose turning { true, 12.5f, {}, 0.0f,
        kStartDistance }; // by the clock, as most frames are
    for (auto _ : state)
        d.view.Render(turning);
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
