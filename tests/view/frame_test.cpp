// Frames as the picture area shows them, against golden pictures in
// tests/render/golden/, and the device calls a frame makes.
#include "DeviceRig.h"
#include "Golden.h"
#include "Raised.h"
#include "model/DemoModel.h"
#include "model/TriReader.h"
#include "view/ModelView.h"

#include <gtest/gtest.h>
#include <variant>

namespace triview {
namespace {

using Journal = std::vector<std::string>;

// Every frame, whichever backend draws it, against the same goldens.
struct FrameTest : testing::TestWithParam<std::uint32_t>
{
    void SetUp() override
    {
        ASSERT_EQ(view.InitD3D(&target, D3DFMT_UNKNOWN, GetParam()), vbTrue);
        show(std::nullopt, kDemonstrationTriangles);
        seam->clearJournal();
    }

    void show(const std::optional<std::string>& file, std::int16_t TriangleCount)
    {
        auto loaded = view.load(file, TriangleCount);
        ASSERT_TRUE(std::holds_alternative<LoadedModel>(loaded));
        view.show(std::get<LoadedModel>(std::move(loaded)));
    }

    // The frame drawn, raising what the view failed with.
    QImage render(const Pose& pose)
    {
        if (const auto failure = view.Render(pose))
            throw *failure->error;
        return target.frame;
    }

    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::SizedTarget target;
    ModelView view { test::watchedRoots(seam) };
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
    show(cube, counttri(cube));
    test::expectGolden(render({ false, 0, { 1, 0, 0 }, 0.6f, 6 }), TRIVIEW_GOLDEN_DIR, "cube");
}

TEST_P(FrameTest, AFailingCallRaisesItsCodeAndNoDeviceDrawsNothing)
{
    seam->fail("DrawPrimitive", D3DERR_OUTOFVIDEOMEMORY);
    EXPECT_EQ(test::raisedNumber([&] { render(kStartPose); }), D3DERR_OUTOFVIDEOMEMORY);
    view.Cleanup();
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
