// Frames as the picture area shows them, against golden pictures in
// tests/render/golden/, and the device calls a frame makes.
#include "DeviceRig.h"
#include "Golden.h"
#include "Raised.h"
#include "ScriptedRuntime.h"
#include "model/VertexStore.h"
#include "render/FrameRenderer.h"

#include <gtest/gtest.h>

namespace triview {
namespace {

using Journal = std::vector<std::string>;

struct FrameTest : testing::Test, test::DeviceRig
{
    void SetUp() override
    {
        ASSERT_EQ(init(), vbTrue);
        ASSERT_EQ(Sample(d3d), vbTrue);
        seam->clearJournal();
    }

    QImage render(const FrameControls& controls, std::int16_t triangles = 3)
    {
        Render(d3d, triangles, controls, runtime);
        return target.frame();
    }

    test::ScriptedRuntime runtime;
};

constexpr FrameControls kStartPose { 0, { 0, 0, 0 }, 0.0f, 8 };

TEST_F(FrameTest, DemonstrationModelMatchesItsGoldens)
{
    const std::tuple<const char*, FrameControls, float> poses[] = {
        { "demo-start", kStartPose, 0 }, { "demo-y-turned-near", { 0, { 0, 1, 0 }, 1.2f, 4 }, 0 },
        { "demo-y-turned-near", { 2, { 0, 1, 0 }, 1.2f, 4 }, 9 }, // greyed: by the buttons
        { "demo-clock-far", { 1, { 1, 0, 0 }, 0.9f, 15 }, 2.5f }, // by the clock about (1, 2, 1)
        { "demo-start", { 1, { 1, 0, 0 }, 0.9f, 8 }, 0 }, // midnight: back to the start
    };
    for (const auto& [golden, controls, clock] : poses) {
        SCOPED_TRACE(golden);
        render({ 0, { 0, 0, 0 }, 0.0f, 1 }); // near: its depth must not linger into the next frame
        runtime.clock = clock;
        test::expectGolden(render(controls), TRIVIEW_GOLDEN_DIR, golden);
    }
}

TEST_F(FrameTest, LoadedModelMatchesItsGolden)
{
    const std::string cube = TRIVIEW_EXAMPLES_DIR "/cube.tri";
    const std::int16_t count = counttri(cube);
    VertexStore store(d3d, count);
    std::int16_t cursor = 0;
    loadtri(cube, count, cursor, store, runtime);
    test::expectGolden(render({ 0, { 1, 0, 0 }, 0.6f, 6 }, count), TRIVIEW_GOLDEN_DIR, "cube");
}

TEST_F(FrameTest, DeviceCallsInOrderOrNoneWithoutADevice)
{
    render(kStartPose);
    EXPECT_EQ(seam->journal(),
        (Journal { "Clear", "BeginScene", "SetTransform:256", "SetTransform:2", "SetTransform:3",
            "SetStreamSource", "SetVertexShader", "SetRenderState:9", "DrawPrimitive", "EndScene",
            "Present" }));
    seam->fail("DrawPrimitive", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(test::raisedNumber([&] { render(kStartPose); }), D3DERR_OUTOFVIDEOMEMORY);
    d3d.D3DDevice.reset(); // without a device nothing is called
    seam->clearJournal();
    render(kStartPose);
    EXPECT_TRUE(seam->journal().empty());
}

TEST_F(FrameTest, CameraFactorBeyondSixteenBitsOverflowsInsideTheScene)
{
    EXPECT_NO_THROW(render({ 0, { 0, 0, 0 }, 0, -327 }));
    seam->clearJournal();
    EXPECT_EQ(test::raisedNumber([&] { render({ 0, { 0, 0, 0 }, 0, 328 }); }), err::Overflow);
    EXPECT_EQ(seam->journal(), (Journal { "Clear", "BeginScene", "SetTransform:256" }));
}

} // namespace
} // namespace triview
