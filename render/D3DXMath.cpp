#include "render/D3DXMath.h"

#include <cmath>

namespace triview {

namespace {

D3DVECTOR subtract(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return { a.x - b.x, a.y - b.y, a.z - b.z };
}

D3DVECTOR cross(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return { a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x };
}

float dot(const D3DVECTOR& a, const D3DVECTOR& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// A zero vector stays zero rather than turning into NaNs.
D3DVECTOR normalise(const D3DVECTOR& v)
{
    const float length = std::sqrt(dot(v, v));
    if (length == 0.0f)
        return v;
    return { v.x / length, v.y / length, v.z / length };
}

} // namespace

D3DMATRIX identityMatrix()
{
    return { { { 1, 0, 0, 0 }, { 0, 1, 0, 0 }, { 0, 0, 1, 0 }, { 0, 0, 0, 1 } } };
}

void D3DXMatrixRotationAxis(D3DMATRIX& out, const D3DVECTOR& axis, float angle)
{
    if (dot(axis, axis) == 0.0f) {
        out = identityMatrix();
        return;
    }
    const D3DVECTOR n = normalise(axis);
    const float x = n.x, y = n.y, z = n.z;
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    out = { { { t * x * x + c, t * x * y + s * z, t * x * z - s * y, 0 },
        { t * x * y - s * z, t * y * y + c, t * y * z + s * x, 0 },
        { t * x * z + s * y, t * y * z - s * x, t * z * z + c, 0 }, { 0, 0, 0, 1 } } };
}

void D3DXMatrixLookAtLH(
    D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& target, const D3DVECTOR& up)
{
    const D3DVECTOR zAxis = normalise(subtract(target, eye));
    const D3DVECTOR xAxis = normalise(cross(up, zAxis));
    const D3DVECTOR yAxis = cross(zAxis, xAxis);
    out = { { { xAxis.x, yAxis.x, zAxis.x, 0 }, { xAxis.y, yAxis.y, zAxis.y, 0 },
        { xAxis.z, yAxis.z, zAxis.z, 0 },
        { -dot(xAxis, eye), -dot(yAxis, eye), -dot(zAxis, eye), 1 } } };
}

void D3DXMatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zNear, float zFar)
{
    const float ys = 1.0f / std::tan(fovY / 2.0f);
    const float xs = ys / aspect;
    const float depth = zFar / (zFar - zNear);
    out = { { { xs, 0, 0, 0 }, { 0, ys, 0, 0 }, { 0, 0, depth, 1 }, { 0, 0, -zNear * depth, 0 } } };
}

void D3DXMatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b)
{
    D3DMATRIX product {};
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            for (int k = 0; k < 4; ++k)
                product.m[row][column] += a.m[row][k] * b.m[k][column];
    out = product;
}

} // namespace triview
