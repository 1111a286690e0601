// Turns of the model as unit quaternions: the buttons' turn, a trackball's
// turn on top of it, and the one axis and angle the two make together, in
// the buttons' units (a world transform turns by angle / 1.5 radians), so
// that any pose can be written as --turn AX,AY,AZ:ANGLE and drawn again.
#pragma once

#include "render/D3DTypes.h"

namespace triview {

// A rotation by the right-hand rule, as D3DXMatrixRotationAxis makes it.
struct Turn
{
    double w = 1, x = 0, y = 0, z = 0;

    bool isNone() const { return x == 0 && y == 0 && z == 0; }
};

// The world transform's turn for axis and angle in the buttons' units; a
// zero axis turns nothing.
Turn turnAbout(const D3DVECTOR& axis, double angle);

// first, then second.
Turn operator*(const Turn& second, const Turn& first);

// The axis (unit length; zero for no turn) and angle, in the buttons'
// units, from 0 to 1.5 pi, that make the same turn.
struct AxisAngle
{
    D3DVECTOR axis;
    float angle;
};
AxisAngle axisAngle(const Turn& turn);

// The shortest turn that takes the direction from to the direction to.
Turn turnBetween(const D3DVECTOR& from, const D3DVECTOR& to);

// A trackball over a picture of width by height pixels, seen through view:
// the turn, in the world, that keeps the point of the ball under the
// pointer under it as it moves from (x0, y0) to (x1, y1).
Turn trackballTurn(
    double x0, double y0, double x1, double y1, int width, int height, const D3DMATRIX& view);

} // namespace triview
