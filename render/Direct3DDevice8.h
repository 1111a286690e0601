// The 3D device: a back buffer (RGBA8 colour, 16-bit depth) in an offscreen
// OpenGL 3.3 core context, drawn with the fixed-function pipeline's
// position-and-colour path and presented into a PresentTarget. Each
// operation answers a Direct3D result code; misuse is refused with
// D3DERR_INVALIDCALL and changes nothing.
#pragma once

#include "render/D3DTypes.h"
#include "render/GlContext.h"

#include <QSize>
#include <memory>

namespace triview {

class DeviceSeam;
class Direct3DVertexBuffer8;
class PresentTarget;

// The back buffer a device is made with.
struct BackBuffer
{
    QSize size; // in pixels
    // Made again at the target's pixel size when that changes (the window
    // moved to a screen of another scale), as the next frame starts.
    bool followsTarget = false;
    bool alpha = false; // the clear colour's alpha stays; opaque otherwise
    bool depth = false; // with a 16-bit depth buffer
};

class Direct3DDevice8
{
public:
    // Makes the device for target with backBuffer. Answers
    // D3DERR_NOTAVAILABLE when OpenGL 3.3 core cannot serve it.
    static HRESULT create(PresentTarget& target, const BackBuffer& backBuffer,
        std::shared_ptr<DeviceSeam> seam, std::unique_ptr<Direct3DDevice8>& out);
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
    // Stream 0 with stride 16 only. The device does not keep the buffer
    // alive: a draw after it is released is refused.
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

private:
    Direct3DDevice8(std::shared_ptr<GlContext> context, PresentTarget& target, QSize size,
        std::shared_ptr<DeviceSeam> seam);
    HRESULT enter(const char* operation) const;
    bool allocateBuffers(QSize size);
    void followTarget();

    std::shared_ptr<GlContext> m_context; // declared first: outlives the GL objects below
    GlFramebuffer m_framebuffer;
    GlRenderbuffer m_colour;
    GlRenderbuffer m_depth;
    GlProgram m_program;
    GlVertexArray m_vertexArray;
    GLint m_matrixLocation = -1;
    GLint m_lightingLocation = -1;

    PresentTarget* m_target;
    QSize m_size;
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
};

} // namespace triview
