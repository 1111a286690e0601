// Frames as the picture area shows them, against golden pictures in
// tests/render/golden/, and the device calls a frame makes.
#include "DeviceRig.h"
#include "Golden.h"
#include "Raised.h"
#include "view/VertexStore.h"
#include "view/FrameRenderer.h"

#include <QPainter>
#include <gtest/gtest.h>

namespace triview {
namespace {

using Journal = std::vector<std::string>;

// Every frame, whichever backend draws it, against the same goldens.
struct FrameTest : testing::TestWithParam<std::uint32_t>, test::DeviceRig
{
    void SetUp() override
    {
        ASSERT_EQ(init(GetParam()), vbTrue);
        ASSERT_EQ(Sample(windowSlot(d3d)), vbTrue);
        seam->clearJournal();
    }

    QImage render(const Pose& pose, std::int16_t triangles = 3)
    {
        Render(d3d, triangles, pose);
        return target.frame;
    }
};

constexpr Pose kStartPose { false, 0.0f, { 0, 0, 0 }, 0.0f, kStartDistance };

TEST_P(FrameTest, DemonstrationModelMatchesItsGoldens)
{
    const std::pair<const char*, Pose> poses[] = {
        { "demo-start", kStartPose },
        { "demo-y-turned-near",
            { false, 9, { 0, 1, 0 }, 1.2f, 4 } }, // the clock only counts by clock
        { "demo-clock-far", { true, 2.5f, { 1, 0, 0 }, 0.9f, 15 } }, // about (1, 2, 1)
        { "demo-start", { true, 0, { 1, 0, 0 }, 0.9f, 8 } }, // midnight: back to the start
    };
    for (const auto& [golden, pose] : poses) {
        SCOPED_TRACE(golden);
        render({ false, 0, { 0, 0, 0 }, 0.0f,
            1 }); // near: its depth must not linger into the next frame
        test::expectGolden(render(pose), TRIVIEW_GOLDEN_DIR, golden);
    }
}

TEST_P(FrameTest, LoadedModelMatchesItsGolden)
{
    const std::string cube = TRIVIEW_EXAMPLES_DIR "/cube.tri";
    const std::int16_t count = counttri(cube);
    VertexStore store(windowSlot(d3d), count);
    std::int16_t cursor = 0;
    loadtri(cube, count, cursor, store);
    test::expectGolden(
        render({ false, 0, { 1, 0, 0 }, 0.6f, 6 }, count), TRIVIEW_GOLDEN_DIR, "cube");
}

TEST_P(FrameTest, APictureDrawnInBandsIsTheWholeFrame)
{
    const QImage whole = render(kStartPose);
    QImage banded(whole.size(), whole.format());
    target.pixels.height = 70; // eight bands and part of one
    for (int top = 0; top < whole.height(); top += 70) {
        d3d.D3DDevice->setBand(whole.height(), top);
        QPainter(&banded).drawImage(0, top, render(kStartPose)); // the last band's foot is cut
    }
    test::expectAlike(banded, whole, "bands");
}

TEST_P(FrameTest, AFailingCallRaisesItsCodeAndNoDeviceDrawsNothing)
{
    seam->fail("DrawPrimitive", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(test::raisedNumber([&] { render(kStartPose); }), D3DERR_OUTOFVIDEOMEMORY);
    d3d.D3DDevice.reset();
    seam->clearJournal();
    render(kStartPose);
    EXPECT_TRUE(seam->journal().empty());
}

TEST_P(FrameTest, CameraFactorBeyondSixteenBitsOverflowsInsideTheScene)
{
    EXPECT_NO_THROW(render({ false, 0, { 0, 0, 0 }, 0, -327 }));
    seam->clearJournal();
    EXPECT_EQ(test::raisedNumber([&] {
        render({ false, 0, { 0, 0, 0 }, 0, 328 });
    }),
        err::Overflow);
    EXPECT_EQ(seam->journal(), (Journal { "Clear", "BeginScene", "SetTransform:256" }));
}

INSTANTIATE_TEST_SUITE_P(Backends, FrameTest, testing::ValuesIn(test::kBackends),
    [](const auto& info) { return test::backendName(info.param); });

} // namespace
} // namespace triview
