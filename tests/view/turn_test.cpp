// Turns: a trackball's follows the pointer, and a turn's axis and angle
// make the same turn again.
#include "render/D3DXMath.h"
#include "view/Turn.h"

#include <cmath>
#include <gtest/gtest.h>

namespace triview {
namespace {

// v turned by t: t v t*.
D3DVECTOR turned(const Turn& t, const D3DVECTOR& v)
{
    const Turn p = t * Turn { 0, v.x, v.y, v.z } * Turn { t.w, -t.x, -t.y, -t.z };
    return { float(p.x), float(p.y), float(p.z) };
}

TEST(Turn, ATrackballTakesThePointUnderThePointerWithIt)
{
    // The ball's nearest point, under a pointer in the middle of a 100-pixel
    // picture seen head-on, goes the way the pointer goes (rows down).
    const struct
    {
        double x, y;
        float movedX, movedY;
    } drags[] = { { 60, 50, 1, 0 }, { 40, 50, -1, 0 }, { 50, 40, 0, 1 }, { 50, 60, 0, -1 } };
    for (const auto& d : drags) {
        const D3DVECTOR moved
            = turned(trackballTurn(50, 50, d.x, d.y, 100, 100, identityMatrix()), { 0, 0, -1 });
        EXPECT_NEAR(moved.x, 0.2f * d.movedX, 0.01f) << d.x << "," << d.y;
        EXPECT_NEAR(moved.y, 0.2f * d.movedY, 0.01f) << d.x << "," << d.y;
    }
}

TEST(Turn, AnAxisAndAngleMakeTheirTurnAgain)
{
    for (const auto& [axis, angle] : { std::pair { D3DVECTOR { 1, 0, 0 }, 0.6f },
             { D3DVECTOR { 0, 0.6f, -0.8f }, 4.5f }, { D3DVECTOR { 0, 0, 0 }, 0.0f } }) {
        const AxisAngle back = axisAngle(turnAbout(axis, angle));
        D3DMATRIX want {}, got {};
        D3DXMatrixRotationAxis(want, axis, float(angle / 1.5));
        D3DXMatrixRotationAxis(got, back.axis, float(back.angle / 1.5));
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(got.m[i / 4][i % 4], want.m[i / 4][i % 4], 1e-6f) << angle;
    }
}

} // namespace
} // namespace triview
