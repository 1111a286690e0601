// The device's software backend: the back buffer in memory, drawn by a
// rasteriser of our own that follows OpenGL's rules (pixel centres, the
// top-left fill rule, eight bits of subpixel precision, the near and far
// planes, perspective-correct colours, a 16-bit depth buffer tested
// less-or-equal), so that its pictures are the OpenGL backend's within a
// level or two along edges. It needs no driver, display or GPU.
#pragma once

#include "render/DeviceBackend.h"
#include "render/Direct3D8.h"

#include <memory>

namespace triview {

// Makes the software backend; D3DERR_OUTOFVIDEOMEMORY when the back buffer
// does not fit in memory.
HRESULT makeSoftwareBackend(
    const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out);

// A root object whose devices draw in software only: pictures for a process
// that loads no driver.
std::unique_ptr<DirectX8> newSoftwareDirectX8();

} // namespace triview
