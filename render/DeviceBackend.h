// What a device draws with: the device itself checks every call, keeps the
// render states, the transforms and the vertex buffers' bytes, and tells
// its backend only what to do to the back buffer. Two backends: OpenGL
// (render/gl/), for the window and where a GPU helps, and the software
// rasteriser, which needs no driver, display or GPU.
#pragma once

#include "render/D3DTypes.h"
#include "render/Deadline.h"
#include "render/PresentTarget.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <vector>

namespace triview {

class DeviceSeam;
class Direct3DVertexBuffer8;

// The back buffer a device is made with.
struct BackBuffer
{
    PixelSize size;
    // Made again at the target's pixel size when that changes (the window
    // moved to a screen of another scale), as the next frame starts.
    bool followsTarget = false;
    bool alpha = false; // the clear colour's alpha stays; opaque otherwise
    bool depth = false; // with a 16-bit depth buffer
};

// One draw's state, as the device hands it over.
struct DrawState
{
    D3DMATRIX transform; // world, view and projection: a row vector times it is clip space
    bool lighting; // with no lights set, lit vertices are black
    bool depthTest; // less or equal, against a 16-bit depth buffer
    std::uint32_t cullMode; // D3DCULL_*; front faces are clockwise on screen
};

// A backend's own copy of a vertex buffer's bytes, where it keeps one.
class BufferCopy
{
public:
    virtual ~BufferCopy() = default;
    // Brings bytes [begin, end) of the copy up to date with bytes.
    virtual void update(std::span<const std::byte> bytes, std::size_t begin, std::size_t end) = 0;
    // The copy's first length bytes, read back.
    virtual std::vector<std::byte> read(std::size_t length) = 0;
};

class DeviceBackend
{
public:
    virtual ~DeviceBackend() = default;

    // Gives the back buffer size pixels; false, keeping the size it has,
    // when it cannot.
    virtual bool resize(PixelSize size) = 0;
    // Fills the colour buffer with colour (0xAARRGGBB) and the depth buffer
    // with depth, each where given.
    virtual void clear(std::optional<D3DCOLOR> colour, std::optional<float> depth) = 0;
    // Draws vertexCount vertices of buffer from firstVertex as a triangle
    // list with Gouraud shading; the device has checked that they lie inside
    // it. A drawn pixel is opaque.
    virtual void draw(
        const DrawState& state, Direct3DVertexBuffer8& buffer, int firstVertex, int vertexCount)
        = 0;
    // The back buffer's pixels, into frame (whose size and alpha are set).
    virtual void read(Frame& frame) = 0;
    // From now on, a draw still going when deadline passes raises 18, where
    // the backend can stop inside a draw (the software rasteriser); none:
    // draws take what they take.
    virtual void setDeadline(const std::optional<Deadline>& deadline) { (void)deadline; }
    // A copy of a new buffer of length bytes on the backend's side, or none
    // where it draws from the buffer's own bytes; D3DERR_OUTOFVIDEOMEMORY
    // when it cannot be had.
    virtual HRESULT makeBufferCopy(std::int32_t length, std::unique_ptr<BufferCopy>& out)
    {
        (void)length;
        out.reset();
        return D3D_OK;
    }
};

// Makes a backend with backBuffer: D3DERR_NOTAVAILABLE when it cannot be had
// at all, D3DERR_OUTOFVIDEOMEMORY when not at this size. seam, when given,
// may replace an OpenGL backend's shaders.
using BackendFactory = HRESULT (*)(
    const BackBuffer& backBuffer, const DeviceSeam* seam, std::unique_ptr<DeviceBackend>& out);

// What a root's devices draw with: hardware for D3DDEVTYPE_HAL, software for
// D3DDEVTYPE_REF; a type whose backend is missing cannot be made.
struct Backends
{
    BackendFactory hardware = nullptr;
    BackendFactory software = nullptr;
};

} // namespace triview
