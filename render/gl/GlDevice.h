// The device's OpenGL backend: the back buffer (RGBA8 colour, 16-bit depth)
// in framebuffer objects of an offscreen OpenGL 3.3 core context, drawn by
// a shader pair that does the fixed-function position-and-colour path, and
// read back for each frame.
#pragma once

#include "render/DeviceBackend.h"
#include "render/Direct3D8.h"

#include <memory>

namespace triview {

// Makes the OpenGL backend: D3DERR_NOTAVAILABLE when OpenGL 3.3 core cannot
// serve it (a driver's refusal of the shaders written to stderr).
HRESULT makeGlBackend(
    const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out);

// The root object the window uses: the hardware device is OpenGL's, the
// reference device the software backend's.
std::unique_ptr<DirectX8> newDirectX8();

} // namespace triview
