// Device set-up and release: the four device references of the window and
// the two procedures that fill and empty them.
#pragma once

#include "render/Direct3D8.h"
#include "render/Direct3DDevice8.h"
#include "render/Direct3DVertexBuffer8.h"
#include "runtime/Values.h"

#include <memory>

namespace triview {

class PresentTarget;

// Each reference is empty or holds its object; emptying it releases it.
struct Direct3DObjects
{
    std::unique_ptr<DirectX8> DxRoot; // kept until the program ends
    std::unique_ptr<Direct3D8> D3DObject;
    std::unique_ptr<Direct3DDevice8> D3DDevice;
    std::shared_ptr<Direct3DVertexBuffer8> VertexBuffer;
};

// Creates the root object (through newRoot, unless d3d holds one), the
// Direct3D object and a windowed device with a 16-bit depth buffer on hWnd,
// then turns culling off, depth testing on and lighting off. A failing step
// is skipped and the next one runs; nothing is raised. Answers vbTrue when
// d3d.D3DDevice holds a device at the end, vbFalse otherwise. The back
// buffer has the display's format unless backBufferFormat names one
// (D3DFMT_A8R8G8B8 keeps the clear colour's alpha, for a picture with a
// transparent background). The device is of deviceType: D3DDEVTYPE_HAL
// draws with the root's hardware backend, D3DDEVTYPE_REF in software.
VbBoolean InitD3D(Direct3DObjects& d3d, PresentTarget* hWnd, const RootFactory& newRoot,
    std::uint32_t backBufferFormat = D3DFMT_UNKNOWN, std::uint32_t deviceType = D3DDEVTYPE_HAL);

// Releases the vertex buffer, the device and the Direct3D object, in that
// order; the root object stays.
void Cleanup(Direct3DObjects& d3d);

} // namespace triview
