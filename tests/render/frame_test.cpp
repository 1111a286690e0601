// Frames as the picture area shows them: the demonstration model checked
// pixel by pixel against a reference worked out here from the matrix
// functions and the viewport formula, depth, the camera distance, the
// clock, and the order and failures of the device calls.
#include "CapturingTarget.h"
#include "ScriptedRuntime.h"
#include "runtime/RuntimeError.h"
#include "model/DemoModel.h"
#include "model/VertexStore.h"
#include "render/D3DXMath.h"
#include "render/DeviceSeam.h"
#include "render/FrameRenderer.h"

#include <QColor>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <optional>

namespace triview {
namespace {

constexpr QSize kPicture(633, 601); // Picture1's client area

class FrameTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(
            InitD3D(d3d, &target, [this] { return std::make_unique<DirectX8>(seam); }), vbTrue);
        ASSERT_EQ(Sample(d3d), vbTrue);
        seam->clearJournal();
    }

    QImage render(const FrameControls& controls, std::int16_t triangles = 3)
    {
        Render(d3d, triangles, controls, runtime);
        return target.last;
    }

    static FrameControls manual(D3DVECTOR axis, float angle, std::int16_t v = 8)
    {
        return { 0, axis, angle, v };
    }

    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::CapturingTarget target { kPicture };
    test::ScriptedRuntime runtime;
    Direct3DObjects d3d;
};

// ---- The reference ------------------------------------------------------------

struct ScreenVertex
{
    double x, y; // pixels, y down
    double depth; // z / w
    double invW;
    std::array<double, 3> rgb;
};

ScreenVertex project(const TriVertex& v, const D3DMATRIX& m)
{
    double clip[4] = {};
    const double p[4] = { v.x, v.y, v.z, 1.0 };
    for (int c = 0; c < 4; ++c)
        for (int k = 0; k < 4; ++k)
            clip[c] += p[k] * m.m[k][c];
    const double w = clip[3];
    return { (clip[0] / w + 1) / 2 * kPicture.width(), (1 - clip[1] / w) / 2 * kPicture.height(),
        clip[2] / w, 1 / w,
        { ((v.colour >> 16) & 0xFF) / 255.0, ((v.colour >> 8) & 0xFF) / 255.0,
            (v.colour & 0xFF) / 255.0 } };
}

// What the frame must show at a pixel centre, or nothing where it is too
// close to an edge or to a tie in depth to say.
std::optional<QColor> expectedAt(
    const std::array<ScreenVertex, 9>& s, double px, double py, int* triangleShown)
{
    constexpr double margin = 2.0; // pixels from any edge
    struct Hit
    {
        double depth;
        int triangle;
        QColor colour;
    };
    std::optional<Hit> nearest;
    double secondDepth = 2.0;
    for (int t = 0; t < 3; ++t) {
        const ScreenVertex* v = &s[3 * t];
        double lambda[3], distance[3];
        const double area
            = (v[1].x - v[0].x) * (v[2].y - v[0].y) - (v[2].x - v[0].x) * (v[1].y - v[0].y);
        for (int i = 0; i < 3; ++i) {
            const ScreenVertex& a = v[(i + 1) % 3];
            const ScreenVertex& b = v[(i + 2) % 3];
            const double edge = (b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y);
            lambda[i] = edge / area;
            distance[i] = lambda[i] * std::fabs(area) / std::hypot(b.x - a.x, b.y - a.y);
        }
        const double closest = std::min({ distance[0], distance[1], distance[2] });
        if (std::fabs(closest) < margin)
            return std::nullopt;
        if (closest < 0)
            continue;
        const double depth
            = lambda[0] * v[0].depth + lambda[1] * v[1].depth + lambda[2] * v[2].depth;
        // Gouraud: vertex colours blended with perspective-correct weights.
        double weights[3], sum = 0;
        for (int i = 0; i < 3; ++i)
            sum += weights[i] = lambda[i] * v[i].invW;
        double rgb[3] = {};
        for (int c = 0; c < 3; ++c)
            for (int i = 0; i < 3; ++i)
                rgb[c] += weights[i] / sum * v[i].rgb[c];
        const QColor colour = QColor::fromRgbF(float(rgb[0]), float(rgb[1]), float(rgb[2]));
        if (!nearest || depth < nearest->depth) {
            if (nearest)
                secondDepth = nearest->depth;
            nearest = Hit { depth, t, colour };
        } else {
            secondDepth = std::min(secondDepth, depth);
        }
    }
    if (!nearest) {
        *triangleShown = -1;
        return QColor(0, 0, 0);
    }
    if (secondDepth - nearest->depth < 1e-4) // too close for a 16-bit depth buffer to settle
        return std::nullopt;
    *triangleShown = nearest->triangle;
    return nearest->colour;
}

TEST_F(FrameTest, DemonstrationModelMatchesTheReferenceInTheStartPose)
{
    const QImage frame = render(manual({ 0, 0, 0 }, 0.0f)); // the start pose: zero axis, angle 0
    ASSERT_EQ(frame.size(), kPicture);

    const float v = 8;
    D3DMATRIX view, projection, transform;
    D3DXMatrixLookAtLH(view, { 100 * v, 30 * v, -20 * v }, { 20 * v, 0, 0 }, { 0, 50 * v, 0 });
    D3DXMatrixPerspectiveFovLH(projection, kFieldOfView, 1.0f, 1.0f, 5000.0f);
    D3DXMatrixMultiply(transform, view, projection);
    std::array<ScreenVertex, 9> screen;
    for (int i = 0; i < 9; ++i)
        screen[i] = project(demonstrationModel[i], transform);

    int checked[4] = {}; // background, triangle 1, 2, 3
    int worst = 0;
    for (int y = 1; y < kPicture.height(); y += 4) {
        for (int x = 1; x < kPicture.width(); x += 4) {
            int shown = -1;
            const std::optional<QColor> expected = expectedAt(screen, x + 0.5, y + 0.5, &shown);
            if (!expected)
                continue;
            const QColor actual = frame.pixelColor(x, y);
            const int error = std::max({ std::abs(actual.red() - expected->red()),
                std::abs(actual.green() - expected->green()),
                std::abs(actual.blue() - expected->blue()) });
            worst = std::max(worst, error);
            EXPECT_LE(error, 4) << "pixel " << x << "," << y << " shows "
                                << actual.name().toStdString() << ", expected "
                                << expected->name().toStdString();
            ++checked[shown + 1];
            if (::testing::Test::HasFailure())
                return;
        }
    }
    EXPECT_GT(checked[0], 1000) << "background";
    for (int t = 1; t <= 3; ++t)
        EXPECT_GT(checked[t], 100) << "triangle " << t << " hardly visible";
    std::printf("checked %d background and %d/%d/%d triangle pixels, worst channel error %d\n",
        checked[0], checked[1], checked[2], checked[3], worst);
}

TEST_F(FrameTest, NearerTriangleWinsWhicheverIsDrawnFirst)
{
    // Two triangles across the line of sight at v = 8: red at x = 300, blue
    // further away at x = 0; both cover the picture's centre.
    const TriangleRecord nearRed { { { { 300, -200, -200 }, { 300, 200, 0 }, { 300, -200, 200 } } },
        0x00FF0000 };
    const TriangleRecord farBlue { { { { 0, -300, -300 }, { 0, 300, 0 }, { 0, -300, 300 } } },
        0x000000FF };
    for (const bool redFirst : { true, false }) {
        ASSERT_EQ(InitGeometry(d3d, 2, redFirst ? nearRed : farBlue), vbTrue);
        ASSERT_EQ(InitGeometry2(d3d, 3, redFirst ? farBlue : nearRed), vbTrue);
        const QImage frame = render(manual({ 0, 0, 0 }, 0), 2);
        EXPECT_EQ(frame.pixelColor(316, 300), QColor(255, 0, 0)) << "red first: " << redFirst;
        int blue = 0; // the far triangle is drawn where the near one does not cover it
        for (int y = 0; y < frame.height(); ++y)
            for (int x = 0; x < frame.width(); ++x)
                blue += frame.pixel(x, y) == qRgb(0, 0, 255);
        EXPECT_GT(blue, 1000) << "red first: " << redFirst;
    }
}

int litPixels(const QImage& frame)
{
    int lit = 0;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            lit += frame.pixel(x, y) != qRgb(0, 0, 0);
    return lit;
}

TEST_F(FrameTest, FartherCameraDrawsTheModelSmaller)
{
    int previous = kPicture.width() * kPicture.height();
    for (const std::int16_t v : { 4, 8, 12, 15 }) {
        const int lit = litPixels(render(manual({ 0, 0, 0 }, 0, v)));
        EXPECT_LT(lit, previous) << "v = " << v;
        EXPECT_GT(lit, 0) << "v = " << v;
        previous = lit;
    }
}

TEST_F(FrameTest, ClockTurnsAboutOneTwoOneAndIgnoresTheButtonsState)
{
    runtime.clock = 1.5f;
    const QImage byClock = render({ 1, { 1, 0, 0 }, 0.9f, 8 });
    const QImage byHand = render(manual({ 1, 2, 1 }, 1.5f));
    EXPECT_EQ(byClock, byHand);
    EXPECT_NE(byClock, render(manual({ 1, 0, 0 }, 0.9f)));

    runtime.clock = 0.0f; // just after midnight the model is back in its start pose
    EXPECT_EQ(render({ 1, { 1, 0, 0 }, 0.9f, 8 }), render(manual({ 0, 0, 0 }, 0)));
}

TEST_F(FrameTest, GreyedCheckBoxTurnsByTheButtonsLikeAClearOne)
{
    runtime.clock = 4.0f;
    EXPECT_EQ(render({ 2, { 0, 1, 0 }, 0.7f, 8 }), render(manual({ 0, 1, 0 }, 0.7f)));
}

TEST_F(FrameTest, TransformsAreTheProgramsCamera)
{
    Render(d3d, 3, manual({ 1, 0, 0 }, 0.3f, 1), runtime);
    D3DMATRIX actual, expected;
    ASSERT_EQ(d3d.D3DDevice->GetTransform(D3DTS_WORLD, actual), D3D_OK);
    // 0.3 / 1.5 worked in double, then rounded: a turn of 0.2.
    D3DXMatrixRotationAxis(expected, { 1, 0, 0 }, 0.2f);
    EXPECT_EQ(actual, expected);
    ASSERT_EQ(d3d.D3DDevice->GetTransform(D3DTS_VIEW, actual), D3D_OK);
    D3DXMatrixLookAtLH(expected, { 100, 30, -20 }, { 20, 0, 0 }, { 0, 50, 0 });
    EXPECT_EQ(actual, expected);
    ASSERT_EQ(d3d.D3DDevice->GetTransform(D3DTS_PROJECTION, actual), D3D_OK);
    D3DXMatrixPerspectiveFovLH(expected, kFieldOfView, 1, 1, 5000);
    EXPECT_EQ(actual, expected);

    Render(d3d, 3, manual({ 0, 0, 0 }, 0.0f), runtime); // the start pose
    ASSERT_EQ(d3d.D3DDevice->GetTransform(D3DTS_WORLD, actual), D3D_OK);
    EXPECT_EQ(actual, identityMatrix());
}

TEST_F(FrameTest, DeviceCallsInOrder)
{
    render(manual({ 0, 0, 0 }, 0));
    EXPECT_EQ(seam->journal(),
        (std::vector<std::string> { "Clear", "BeginScene", "SetTransform:256", "SetTransform:2",
            "SetTransform:3", "SetStreamSource", "SetVertexShader", "SetRenderState:9",
            "DrawPrimitive", "EndScene", "Present" }));
    EXPECT_EQ(target.presents, 1);
}

TEST_F(FrameTest, FailingCallRaisesItsCodeAndLeavesTheRestUndone)
{
    for (const char* operation : { "Clear", "SetTransform:2", "DrawPrimitive", "Present" }) {
        auto failing = std::make_shared<DeviceSeam>();
        Direct3DObjects objects;
        ASSERT_EQ(
            InitD3D(objects, &target, [&] { return std::make_unique<DirectX8>(failing); }), vbTrue);
        ASSERT_EQ(Sample(objects), vbTrue);
        failing->fail(operation, D3DERR_OUTOFVIDEOMEMORY);
        failing->clearJournal();
        try {
            Render(objects, 3, manual({ 0, 0, 0 }, 0), runtime);
            ADD_FAILURE() << operation << " did not raise";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), D3DERR_OUTOFVIDEOMEMORY) << operation;
        }
        EXPECT_EQ(failing->journal().back(), operation);
    }
}

TEST_F(FrameTest, CameraFactorBeyondSixteenBitsOverflowsInsideTheScene)
{
    EXPECT_NO_THROW(
        render(manual({ 0, 0, 0 }, 0, -327))); // the eye behind the origin, still in range
    seam->clearJournal();
    try {
        render(manual({ 0, 0, 0 }, 0, 328));
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
    // The error leaves the scene open; the program ends on it.
    EXPECT_EQ(
        seam->journal(), (std::vector<std::string> { "Clear", "BeginScene", "SetTransform:256" }));
}

TEST_F(FrameTest, WithoutADeviceNothingIsCalled)
{
    d3d.D3DDevice.reset();
    seam->clearJournal();
    EXPECT_NO_THROW(Render(d3d, 3, manual({ 0, 0, 0 }, 0), runtime));
    EXPECT_TRUE(seam->journal().empty());
    EXPECT_EQ(target.presents, 0);
}

} // namespace
} // namespace triview
