// The matrix functions of the Direct3D helper library, for row vectors
// (p' = p * M), computed in float.
#pragma once

#include "render/D3DTypes.h"

namespace triview {

// Rotation by angle radians about the direction of axis. A zero-length axis
// gives the identity.
void D3DXMatrixRotationAxis(D3DMATRIX& out, const D3DVECTOR& axis, float angle);

// Left-handed view: the eye goes to the origin, looking along +z, with up
// towards +y.
void D3DXMatrixLookAtLH(
    D3DMATRIX& out, const D3DVECTOR& eye, const D3DVECTOR& target, const D3DVECTOR& up);

// Left-handed perspective from a vertical field of view: view-space z = near
// gives clip z = 0, z = far gives clip z = w.
void D3DXMatrixPerspectiveFovLH(D3DMATRIX& out, float fovY, float aspect, float zNear, float zFar);

// out = a * b; out may alias a or b.
void D3DXMatrixMultiply(D3DMATRIX& out, const D3DMATRIX& a, const D3DMATRIX& b);

D3DMATRIX identityMatrix();

} // namespace triview
