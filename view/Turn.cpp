#include "view/Turn.h"

#include <algorithm>
#include <cmath>

namespace triview {

namespace {

// The turn's angle in the buttons' units: radians times 1.5.
constexpr double kButtonUnits = 1.5;

Turn normalised(Turn t)
{
    const double length = std::sqrt(t.w * t.w + t.x * t.x + t.y * t.y + t.z * t.z);
    return length == 0 ? Turn {} : Turn { t.w / length, t.x / length, t.y / length, t.z / length };
}

Turn rotation(double x, double y, double z, double radians)
{
    const double length = std::sqrt(x * x + y * y + z * z);
    if (length == 0 || radians == 0)
        return {};
    const double s = std::sin(radians / 2) / length;
    return { std::cos(radians / 2), x * s, y * s, z * s };
}

} // namespace

Turn turnAbout(const D3DVECTOR& axis, double angle)
{
    // The world transform's own rounding: the angle divided in double, then float.
    const float radians = static_cast<float>(angle / kButtonUnits);
    return rotation(axis.x, axis.y, axis.z, radians);
}

Turn operator*(const Turn& b, const Turn& a)
{
    return normalised({ b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z,
        b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
        b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
        b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w });
}

AxisAngle axisAngle(const Turn& turn)
{
    const double sine = std::sqrt(turn.x * turn.x + turn.y * turn.y + turn.z * turn.z);
    if (sine == 0)
        return { { 0, 0, 0 }, 0.0f };
    // The same turn with w >= 0 is at most half a revolution.
    const double sign = turn.w < 0 ? -1 : 1;
    const double radians = 2 * std::atan2(sine, std::abs(turn.w));
    return { { float(sign * turn.x / sine), float(sign * turn.y / sine),
                 float(sign * turn.z / sine) },
        float(radians * kButtonUnits) };
}

Turn turnBetween(const D3DVECTOR& a, const D3DVECTOR& b)
{
    const double x = double(a.y) * b.z - double(a.z) * b.y;
    const double y = double(a.z) * b.x - double(a.x) * b.z;
    const double z = double(a.x) * b.y - double(a.y) * b.x;
    const double along = double(a.x) * b.x + double(a.y) * b.y + double(a.z) * b.z;
    return rotation(x, y, z, std::atan2(std::sqrt(x * x + y * y + z * z), along));
}

Turn trackballTurn(
    double x0, double y0, double x1, double y1, int width, int height, const D3DMATRIX& view)
{
    // A ball as wide as the picture's smaller side, in the view's axes (x
    // right, y up, z away from the eye): the half that faces the eye.
    const double radius = std::max(1, std::min(width, height)) / 2.0;
    const auto onBall = [&](double px, double py) {
        const double x = (px - width / 2.0) / radius, y = (height / 2.0 - py) / radius;
        const double squared = x * x + y * y;
        if (squared >= 1) // beyond the ball: its rim
            return D3DVECTOR { float(x / std::sqrt(squared)), float(y / std::sqrt(squared)), 0 };
        return D3DVECTOR { float(x), float(y), float(-std::sqrt(1 - squared)) };
    };
    const Turn seen = turnBetween(onBall(x0, y0), onBall(x1, y1));
    // The view's rows take world directions to the view's: the same axis in
    // the world is the view's axis times the transpose.
    const auto& m = view.m;
    return { seen.w, seen.x * m[0][0] + seen.y * m[0][1] + seen.z * m[0][2],
        seen.x * m[1][0] + seen.y * m[1][1] + seen.z * m[1][2],
        seen.x * m[2][0] + seen.y * m[2][1] + seen.z * m[2][2] };
}

} // namespace triview
