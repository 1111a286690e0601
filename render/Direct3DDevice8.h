// The 3D device: a back buffer (8 bits a channel, 16-bit depth) drawn with
// the fixed-function pipeline's position-and-colour path and presented into
// a PresentTarget. Each operation answers a Direct3D result code; misuse is
// refused with D3DERR_INVALIDCALL and changes nothing. The device checks
// every call and keeps the states; its backend (OpenGL or the software
// rasteriser) only draws.
#pragma once

#include "render/D3DTypes.h"
#include "render/DeviceBackend.h"

#include <memory>
#include <optional>

namespace triview {

class DeviceSeam;
class Direct3DVertexBuffer8;
class PresentTarget;

class Direct3DDevice8
{
public:
    // Makes the device for target with backBuffer, drawing with the backend
    // makeBackend makes; answers what makeBackend answers when it cannot.
    static HRESULT create(PresentTarget& target, const BackBuffer& backBuffer,
        BackendFactory makeBackend, std::shared_ptr<DeviceSeam> seam,
        std::unique_ptr<Direct3DDevice8>& out);
    ~Direct3DDevice8();

    Direct3DDevice8(const Direct3DDevice8&) = delete;
    Direct3DDevice8& operator=(const Direct3DDevice8&) = delete;

    // Culling (D3DCULL_NONE, _CW, _CCW), depth test (D3DZB_FALSE, _TRUE),
    // lighting (with no lights set, lit vertices are black) and the Gouraud
    // shade mode; other states or values are refused.
    HRESULT SetRenderState(std::uint32_t state, std::uint32_t value);
    // Usage 0, vertex format 66 and the default pool only; length above 0.
    HRESULT CreateVertexBuffer(std::int32_t length, std::uint32_t usage, std::uint32_t fvf,
        std::uint32_t pool, std::shared_ptr<Direct3DVertexBuffer8>& out);
    // The whole target only (no rectangles); target and depth flags. Starts
    // a frame: a back buffer that follows its target takes its size here.
    HRESULT Clear(std::uint32_t count, const D3DRECT* rects, std::uint32_t flags, D3DCOLOR colour,
        float z, std::uint32_t stencil);
    HRESULT BeginScene();
    HRESULT EndScene();
    HRESULT SetTransform(std::uint32_t state, const D3DMATRIX& matrix);
    // Stream 0 with stride 16 only, and a buffer this device made (its
    // backend's copy is of the backend's kind). The device does not keep the
    // buffer alive: a draw after it is released is refused.
    HRESULT SetStreamSource(std::uint32_t stream,
        const std::shared_ptr<Direct3DVertexBuffer8>& buffer, std::uint32_t stride);
    HRESULT SetVertexShader(std::uint32_t handle);
    // Triangle lists inside a scene; refused when the vertices would run
    // past the end of the stream's buffer.
    HRESULT DrawPrimitive(
        std::uint32_t type, std::int32_t startVertex, std::int32_t primitiveCount);
    // Copies the back buffer into the target; no rectangles, no override
    // window, no dirty region.
    HRESULT Present(const D3DRECT* source, const D3DRECT* destination,
        PresentTarget* overrideWindow, const void* dirtyRegion);

    // From now on, the back buffer shows rows [top, top + its height) of a
    // picture pictureHeight rows tall, not the whole picture: a picture too
    // large to draw at once in little memory is drawn band by band. Rows
    // below the picture's last stay clear. pictureHeight 0 goes back to the
    // whole picture.
    void setBand(int pictureHeight, int top);
    // From now on, a draw in software raises 18 as soon as deadline has
    // passed (OpenGL's draws cannot be stopped halfway); none lets draws take
    // their time.
    void setDeadline(const std::optional<Deadline>& deadline);

private:
    Direct3DDevice8(std::unique_ptr<DeviceBackend> backend, PresentTarget& target,
        const BackBuffer& backBuffer, std::shared_ptr<DeviceSeam> seam);
    HRESULT enter(const char* operation) const;
    void followTarget();

    std::unique_ptr<DeviceBackend> m_backend;
    PresentTarget* m_target;
    PixelSize m_size;
    std::shared_ptr<DeviceSeam> m_seam;

    bool m_followsTarget = false;
    bool m_alpha = false; // A8R8G8B8: the clear colour's alpha stays
    bool m_hasDepthBuffer = false;
    bool m_inScene = false;
    std::uint32_t m_cullMode = D3DCULL_CCW; // the published defaults
    std::uint32_t m_zEnable = D3DZB_FALSE;
    bool m_lighting = true;
    std::uint32_t m_vertexShader = 0;
    D3DMATRIX m_world, m_view, m_projection;
    int m_pictureHeight = 0, m_bandTop = 0; // the band drawn, when not the whole picture
    std::weak_ptr<Direct3DVertexBuffer8> m_stream;
    // What the buffers this device makes are marked with: outlives the
    // device while a buffer does, so no other device can share it.
    std::shared_ptr<const char> m_maker = std::make_shared<const char>();
};

} // namespace triview
