// The matrix functions: properties (what a rotation, a view and a
// projection must do to points) plus one literal matrix each, worked out
// independently in double precision.
#include "render/D3DXMath.h"
#include "render/FrameRenderer.h"

#include <array>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>

namespace triview {
namespace {

using Vec4 = std::array<float, 4>;

Vec4 transform(const Vec4& p, const D3DMATRIX& m)
{
    Vec4 out {};
    for (int column = 0; column < 4; ++column)
        for (int k = 0; k < 4; ++k)
            out[column] += p[k] * m.m[k][column];
    return out;
}

Vec4 point(const D3DVECTOR& v)
{
    return { v.x, v.y, v.z, 1.0f };
}

void expectMatrixNear(
    const D3DMATRIX& actual, const std::array<std::array<float, 4>, 4>& expected, float tolerance)
{
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_NEAR(actual.m[row][column], expected[row][column], tolerance)
                << "row " << row << " column " << column;
}

TEST(RotationAxis, AboutXByPointTwoAsLiteral)
{
    D3DMATRIX m;
    D3DXMatrixRotationAxis(m, { 1, 0, 0 }, 0.2f);
    const float c = 0.980066578f, s = 0.198669331f;
    expectMatrixNear(
        m, { { { 1, 0, 0, 0 }, { 0, c, s, 0 }, { 0, -s, c, 0 }, { 0, 0, 0, 1 } } }, 1e-6f);
}

TEST(RotationAxis, KeepsTheAxisAndTurnsPerpendicularsByTheAngle)
{
    const D3DVECTOR axis { 1, 2, 1 }; // the clock's axis, not of unit length
    const float angle = 0.7f;
    D3DMATRIX m;
    D3DXMatrixRotationAxis(m, axis, angle);

    const Vec4 onAxis = transform({ 2, 4, 2, 1 }, m);
    EXPECT_NEAR(onAxis[0], 2, 1e-5);
    EXPECT_NEAR(onAxis[1], 4, 1e-5);
    EXPECT_NEAR(onAxis[2], 2, 1e-5);

    const Vec4 perpendicular { 1, 0, -1, 0 }; // length sqrt(2)
    const Vec4 turned = transform(perpendicular, m);
    const float dot = turned[0] * perpendicular[0] + turned[1] * perpendicular[1]
        + turned[2] * perpendicular[2];
    EXPECT_NEAR(dot / 2.0f, std::cos(angle), 1e-6);
    EXPECT_NEAR(turned[0] * turned[0] + turned[1] * turned[1] + turned[2] * turned[2], 2.0f, 1e-5);

    // Row vectors turn left-handed: +x towards +y for a positive turn about +z.
    D3DXMatrixRotationAxis(m, { 0, 0, 1 }, 0.5f);
    const Vec4 x = transform({ 1, 0, 0, 0 }, m);
    EXPECT_GT(x[1], 0.0f);
}

TEST(RotationAxis, ZeroAxisGivesTheIdentity)
{
    D3DMATRIX m;
    D3DXMatrixRotationAxis(m, { 0, 0, 0 }, 0.0f);
    EXPECT_EQ(m, identityMatrix());
    D3DXMatrixRotationAxis(m, { 0, 0, 0 }, 1.3f);
    EXPECT_EQ(m, identityMatrix());
}

TEST(LookAtLH, ProgramCameraAtDistanceOneAsLiteral)
{
    D3DMATRIX m;
    D3DXMatrixLookAtLH(m, { 100, 30, -20 }, { 20, 0, 0 }, { 0, 50, 0 });
    expectMatrixNear(m,
        { { { 0.242536f, -0.331674f, -0.911685f, 0 }, { 0.0f, 0.939743f, -0.341882f, 0 },
            { 0.970143f, 0.082918f, 0.227921f, 0 }, { -4.85071f, 6.63348f, 105.98334f, 1 } } },
        2e-5f);
}

TEST(LookAtLH, EyeToOriginTargetAheadUpAbove)
{
    for (const float v : { 1.0f, 8.0f, 15.0f, -3.0f }) {
        const D3DVECTOR eye { 100 * v, 30 * v, -20 * v }, target { 20 * v, 0, 0 },
            up { 0, 50 * v, 0 };
        D3DMATRIX m;
        D3DXMatrixLookAtLH(m, eye, target, up);
        const Vec4 e = transform(point(eye), m);
        const float tolerance = 1e-4f * std::fabs(v) * 100;
        EXPECT_NEAR(e[0], 0, tolerance) << v;
        EXPECT_NEAR(e[1], 0, tolerance) << v;
        EXPECT_NEAR(e[2], 0, tolerance) << v;
        const Vec4 t = transform(point(target), m);
        EXPECT_NEAR(t[0], 0, tolerance) << v;
        EXPECT_NEAR(t[1], 0, tolerance) << v;
        EXPECT_NEAR(t[2], 87.7496439f * std::fabs(v), tolerance) << v;
        // A point above the target along up stays above it on screen.
        const Vec4 above = transform({ target.x, target.y + up.y, target.z, 1 }, m);
        EXPECT_GT(above[1], 0.0f) << v;
    }
}

TEST(PerspectiveFovLH, ProgramProjectionAsLiteral)
{
    D3DMATRIX m;
    D3DXMatrixPerspectiveFovLH(m, kFieldOfView, 1.0f, 1.0f, 5000.0f);
    const float ys = 2.41421361f, q = 1.00020004f;
    expectMatrixNear(
        m, { { { ys, 0, 0, 0 }, { 0, ys, 0, 0 }, { 0, 0, q, 1 }, { 0, 0, -q, 0 } } }, 1e-6f);
}

TEST(PerspectiveFovLH, NearPlaneToZeroFarPlaneToWEdgeOfViewToOne)
{
    D3DMATRIX m;
    const float fov = 0.9f, aspect = 1.5f, zNear = 2.0f, zFar = 400.0f;
    D3DXMatrixPerspectiveFovLH(m, fov, aspect, zNear, zFar);
    const Vec4 nearPoint = transform({ 0, 0, zNear, 1 }, m);
    EXPECT_NEAR(nearPoint[2], 0.0f, 1e-5);
    EXPECT_FLOAT_EQ(nearPoint[3], zNear);
    const Vec4 farPoint = transform({ 0, 0, zFar, 1 }, m);
    EXPECT_NEAR(farPoint[2] / farPoint[3], 1.0f, 1e-6);
    const float z = 50.0f, top = z * std::tan(fov / 2);
    const Vec4 edge = transform({ top * aspect, top, z, 1 }, m);
    EXPECT_NEAR(edge[0] / edge[3], 1.0f, 1e-5);
    EXPECT_NEAR(edge[1] / edge[3], 1.0f, 1e-5);
}

TEST(FieldOfView, IsPiAsWrittenOverFourRoundedToFloat)
{
    EXPECT_EQ(std::bit_cast<std::uint32_t>(kFieldOfView), 0x3F490FDAu);
    EXPECT_LT(kFieldOfView, static_cast<float>(M_PI / 4)); // one unit in the last place below
}

TEST(MatrixMultiply, RowVectorsApplyLeftFactorFirst)
{
    D3DMATRIX turn, move = identityMatrix(), both;
    D3DXMatrixRotationAxis(turn, { 0, 0, 1 }, static_cast<float>(M_PI / 2));
    move.m[3][0] = 10; // translate x by 10
    D3DXMatrixMultiply(both, turn, move);
    const Vec4 p = transform({ 1, 0, 0, 1 }, both); // turn to (0, 1), then move to (10, 1)
    EXPECT_NEAR(p[0], 10, 1e-5);
    EXPECT_NEAR(p[1], 1, 1e-5);
}

} // namespace
} // namespace triview
