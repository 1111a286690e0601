// Device set-up and release, and the refusals that keep the device inside
// its buffers. What the device draws is the frame tests' business.
#include "DeviceRig.h"

#include <QPainter>
#include <array>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace triview {
namespace {

using Journal = std::vector<std::string>;

struct DeviceSetUp : testing::Test, test::DeviceRig
{
};

TEST(InitD3D, SkipsFailingStatementsAndAnswersWhetherADeviceExists)
{
    const Journal full { "Direct3DCreate", "GetAdapterDisplayMode", "CreateDevice",
        "SetRenderState:22", "SetRenderState:7", "SetRenderState:137" };
    const Journal upToDevice(full.begin(), full.begin() + 3);
    const struct
    {
        Journal failing;
        const char* yieldsNothing;
        VbBoolean result;
        Journal journal;
    } cases[] = {
        { {}, "", vbTrue, full },
        { {}, "Direct3DCreate", vbFalse, { "Direct3DCreate" } },
        { { "CreateDevice" }, "", vbFalse, upToDevice },
        // The format stays 0, which CreateDevice refuses as Direct3D 8 did.
        { { "GetAdapterDisplayMode" }, "", vbFalse, upToDevice },
        { { "SetRenderState:22", "SetRenderState:7", "SetRenderState:137" }, "", vbTrue, full },
    };
    for (const auto& c : cases) {
        test::DeviceRig setUp;
        for (const std::string& operation : c.failing)
            setUp.seam->fail(operation, D3DERR_NOTAVAILABLE);
        setUp.seam->yieldNothing(c.yieldsNothing);
        EXPECT_EQ(setUp.init(), c.result);
        EXPECT_EQ(setUp.seam->journal(), c.journal);
        EXPECT_EQ(bool(setUp.d3d.D3DDevice), c.result == vbTrue);
    }
}

TEST_F(DeviceSetUp, RootIsMadeOnlyWhenNoneIsHeldAndOutlivesCleanup)
{
    d3d.DxRoot = std::make_unique<DirectX8>(seam, Backends { makeGlBackend, makeSoftwareBackend });
    const DirectX8* root = d3d.DxRoot.get();
    EXPECT_EQ(init(), vbTrue);
    Cleanup(d3d);
    EXPECT_EQ(init(), vbTrue);
    EXPECT_EQ(rootsMade, 0);
    EXPECT_EQ(d3d.DxRoot.get(), root);
}

TEST(InitD3D, ADriverThatRefusesTheShadersSaysWhyAndNoDeviceIsMade)
{
    // Shaders the real driver must refuse, beside the device's own other one.
    for (const auto& [vertex, fragment, refused] :
        { std::array<std::string, 3> {
              "#version 330 core\nvoid main() { gl_Position = x; }", "", "vertex shader" },
            { "", "#version 330 core\nvoid main() { x = 1.0; }", "fragment shader" },
            { "#version 330 core\nvoid helper() { }", "", "shader program" } }) {
        test::DeviceRig setUp;
        setUp.seam->replaceShaders(vertex, fragment);
        testing::internal::CaptureStderr();
        EXPECT_EQ(setUp.init(), vbFalse);
        const std::string said = testing::internal::GetCapturedStderr();
        // Ours, then the driver's log.
        const std::string ours = "triview: the OpenGL driver refused the " + refused + ": ";
        EXPECT_TRUE(said.starts_with(ours) && said.size() > ours.size() + 1) << said;
    }
}

TEST(InitD3D, TheBackBufferFollowsTheWindowsScaleFromTheNextFrame)
{
    for (const std::uint32_t backend : test::kBackends) {
        test::DeviceRig rig;
        ASSERT_EQ(rig.init(backend), vbTrue);
        for (const PixelSize pixels : { PixelSize { 40, 30 }, { 80, 60 }, { 50, 38 } }) {
            rig.target.pixels = pixels;
            Direct3DDevice8& device = *rig.d3d.D3DDevice;
            ASSERT_EQ(device.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060, 1.0f, 0), D3D_OK);
            ASSERT_EQ(device.Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
            // Every pixel is the new frame's: none left over from the old size.
            QImage expected(pixels.width, pixels.height, rig.target.frame.format());
            expected.fill(QColor(0x20, 0x40, 0x60));
            EXPECT_EQ(rig.target.frame, expected) << test::backendName(backend) << pixels.width;
        }
    }
}

struct DeviceBuffers : testing::TestWithParam<std::uint32_t>, test::DeviceRig
{
    void SetUp() override
    {
        ASSERT_EQ(init(GetParam()), vbTrue);
        ASSERT_EQ(d3d.D3DDevice->CreateVertexBuffer(144, 0, kVertexFormat, 0, buffer), D3D_OK);
    }
    std::shared_ptr<Direct3DVertexBuffer8> buffer; // nine vertices
};

TEST_P(DeviceBuffers, FillsOutsideTheBufferAreRefusedAndWriteNothing)
{
    std::vector<std::byte> source(144), expected(144);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = std::byte(i + 1);
    ASSERT_EQ(buffer->contents(), expected); // a new buffer holds zeros
    ASSERT_EQ(D3DVertexBuffer8SetData(buffer.get(), 96, 48, 0, source.data()), D3D_OK);
    std::memcpy(expected.data() + 96, source.data(), 48);
    const std::pair<std::int32_t, std::int32_t> refused[]
        = { { 97, 48 }, { 144, 1 }, { -1, 8 }, { 0, -8 }, { 0, 145 }, { 2147483647, 16 } };
    for (const auto& [offset, size] : refused)
        EXPECT_EQ(D3DVertexBuffer8SetData(buffer.get(), offset, size, 0, source.data()),
            D3DERR_INVALIDCALL)
            << offset << "+" << size;
    EXPECT_EQ(D3DVertexBuffer8SetData(nullptr, 0, 16, 0, source.data()), D3DERR_INVALIDCALL);
    EXPECT_EQ(buffer->contents(), expected);
}

TEST_P(DeviceBuffers, DrawsPastTheBufferOutsideASceneAfterItsReleaseOrOfAnotherDeviceAreRefused)
{
    Direct3DDevice8& device = *d3d.D3DDevice;
    test::DeviceRig other; // of the other backend, whose buffer copy this one cannot draw
    ASSERT_EQ(other.init(GetParam() == D3DDEVTYPE_HAL ? D3DDEVTYPE_REF : D3DDEVTYPE_HAL), vbTrue);
    std::shared_ptr<Direct3DVertexBuffer8> foreign;
    ASSERT_EQ(other.d3d.D3DDevice->CreateVertexBuffer(144, 0, kVertexFormat, 0, foreign), D3D_OK);
    EXPECT_EQ(device.SetStreamSource(0, foreign, kVertexStride), D3DERR_INVALIDCALL);
    ASSERT_EQ(device.SetStreamSource(0, buffer, kVertexStride), D3D_OK);
    ASSERT_EQ(device.SetVertexShader(kVertexFormat), D3D_OK);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL); // no scene
    ASSERT_EQ(device.BeginScene(), D3D_OK);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3D_OK);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 3, 2), D3D_OK);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 1, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, -1), D3DERR_INVALIDCALL);
    buffer.reset();
    EXPECT_EQ(device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device.EndScene(), D3D_OK);
}

// Scenes given straight in clip space (every transform the identity) on a 4
// by 4 back buffer cleared blue, by each backend alike: which pixels each
// rule covers, row by row, 'r' red, 'g' green (a second triangle's, where it
// has one), 'k' black, '.' the clear colour.
struct DeviceDraws : testing::TestWithParam<std::uint32_t>, test::DeviceRig
{
    std::string draw(const std::vector<D3DVECTOR>& vertices, std::uint32_t cull,
        bool lighting = false, bool secondGreen = false, bool depth = false)
    {
        target.pixels = { 4, 4 };
        std::shared_ptr<Direct3DVertexBuffer8> buffer;
        if (init(GetParam()) != vbTrue
            || d3d.D3DDevice->CreateVertexBuffer(
                std::int32_t(vertices.size() * kVertexStride), 0, kVertexFormat, 0, buffer))
            return "no device";
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            const struct
            {
                D3DVECTOR position;
                D3DCOLOR colour;
            } red { vertices[i], secondGreen && i >= 3 ? 0xFF00FF00 : 0xFFFF0000 };
            D3DVertexBuffer8SetData(buffer.get(), std::int32_t(i * kVertexStride), 16, 0, &red);
        }
        Direct3DDevice8& device = *d3d.D3DDevice;
        device.SetRenderState(D3DRS_CULLMODE, cull);
        device.SetRenderState(D3DRS_LIGHTING, lighting);
        device.SetRenderState(D3DRS_ZENABLE, depth);
        device.Clear(
            0, nullptr, D3DCLEAR_TARGET | (depth ? D3DCLEAR_ZBUFFER : 0), 0xFF0000FF, 1.0f, 0);
        device.BeginScene();
        device.SetStreamSource(0, buffer, kVertexStride);
        device.SetVertexShader(kVertexFormat);
        device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, std::int32_t(vertices.size() / 3));
        device.EndScene();
        device.Present(nullptr, nullptr, nullptr, nullptr);
        std::string rows;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x) {
                const QRgb pixel = target.frame.pixel(x, y);
                rows += pixel == qRgb(255, 0, 0) ? 'r'
                    : pixel == qRgb(0, 255, 0)   ? 'g'
                    : pixel == qRgb(0, 0, 0)     ? 'k'
                                                 : '.';
            }
        return rows;
    }
};

TEST_P(DeviceDraws, CullingLightingClippingAndTheFillRule)
{
    // Clockwise on screen, covering it all; the same turned the other way.
    const std::vector<D3DVECTOR> clockwise { { -1, -1, 0.5f }, { -1, 3, 0.5f }, { 3, -1, 0.5f } };
    const std::vector<D3DVECTOR> counter(clockwise.rbegin(), clockwise.rend());
    const std::string all(16, 'r'), none(16, '.');
    // Pixels 0.5 to 2.5 across and down: centres on the left and top edges
    // are inside, on the right and bottom ones outside.
    const D3DVECTOR a { -0.75f, 0.75f, 0.5f }, b { 0.25f, 0.75f, 0.5f }, c { 0.25f, -0.25f, 0.5f },
        d { -0.75f, -0.25f, 0.5f };
    // Depth from -0.5 at the left to 0.5 at the right: in front of the near
    // plane, the left half is cut away.
    const std::vector<D3DVECTOR> nearPlane { { -1, -1, -0.5f }, { -1, 3, -0.5f }, { 3, -1, 1.5f } };
    // Two triangles far wider than the view, below and above a level edge
    // through the second row's pixel centres, which the one below owns (its
    // top edge), though drawn first.
    // The first triangle, 65534 with no area, and the first again.
    std::vector<D3DVECTOR> tieAfterMany(clockwise);
    tieAfterMany.resize(3 * 65535);
    tieAfterMany.insert(tieAfterMany.end(), clockwise.begin(), clockwise.end());
    const std::vector<D3DVECTOR> sharedFarEdge { { 100, 0.25f, 0.5f }, { -100, 0.25f, 0.5f },
        { 0, -100, 0.5f }, { -100, 0.25f, 0.5f }, { 100, 0.25f, 0.5f }, { 0, 100, 0.5f } };
    const struct
    {
        const char* scene;
        std::vector<D3DVECTOR> vertices;
        std::uint32_t cull;
        bool lighting;
        std::string expected;
        bool secondGreen = false;
        bool depth = false;
    } cases[] = {
        { "clockwise, culling none", clockwise, D3DCULL_NONE, false, all },
        { "clockwise, culling counter-clockwise", clockwise, D3DCULL_CCW, false, all },
        { "clockwise, culling clockwise", clockwise, D3DCULL_CW, false, none },
        { "counter-clockwise, culling counter-clockwise", counter, D3DCULL_CCW, false, none },
        { "counter-clockwise, culling clockwise", counter, D3DCULL_CW, false, all },
        { "lit with no lights", clockwise, D3DCULL_NONE, true, std::string(16, 'k') },
        { "edges on pixel centres", { a, b, c, a, c, d }, D3DCULL_NONE, false, "rr..rr.........." },
        { "across the near plane", nearPlane, D3DCULL_NONE, false, "..rr..rr..rr..rr" },
        { "an edge far beyond the view on pixel centres", sharedFarEdge, D3DCULL_NONE, false,
            "ggggrrrrrrrrrrrr", true },
        // Through the depth test the later of two in one plane wins, even
        // the 65536th triangle of a draw over the first.
        { "a tie won by the later", tieAfterMany, D3DCULL_NONE, false, std::string(16, 'g'), true,
            true },
    };
    for (const auto& s : cases)
        EXPECT_EQ(draw(s.vertices, s.cull, s.lighting, s.secondGreen, s.depth), s.expected)
            << s.scene;
}

TEST_P(DeviceDraws, TiesInDepthGoToTheLaterTriangleInEveryTile)
{
    // In one plane: the left half red in a first draw; then in a second the
    // whole green and the right half blue. Each tie goes to the later: green
    // on the left, blue on the right, also in the tiles the halves share.
    target.pixels = { 64, 64 };
    ASSERT_EQ(init(GetParam()), vbTrue);
    const struct
    {
        D3DVECTOR position;
        D3DCOLOR colour;
    } vertices[] = {
        { { 0, -10, 0.5f }, 0xFFFF0000 },
        { { -10, 0, 0.5f }, 0xFFFF0000 },
        { { 0, 10, 0.5f }, 0xFFFF0000 },
        { { -10, -10, 0.5f }, 0xFF00FF00 },
        { { 0, 10, 0.5f }, 0xFF00FF00 },
        { { 10, -10, 0.5f }, 0xFF00FF00 },
        { { 0, -10, 0.5f }, 0xFF0000FF },
        { { 0, 10, 0.5f }, 0xFF0000FF },
        { { 10, 0, 0.5f }, 0xFF0000FF },
    };
    std::shared_ptr<Direct3DVertexBuffer8> buffer;
    Direct3DDevice8& device = *d3d.D3DDevice;
    ASSERT_EQ(device.CreateVertexBuffer(sizeof vertices, 0, kVertexFormat, 0, buffer), D3D_OK);
    D3DVertexBuffer8SetData(buffer.get(), 0, sizeof vertices, 0, vertices);
    device.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device.SetRenderState(D3DRS_LIGHTING, 0);
    device.Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device.BeginScene();
    device.SetStreamSource(0, buffer, kVertexStride);
    device.SetVertexShader(kVertexFormat);
    device.DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1);
    device.DrawPrimitive(D3DPT_TRIANGLELIST, 3, 2);
    device.EndScene();
    device.Present(nullptr, nullptr, nullptr, nullptr);
    QImage expected(64, 64, target.frame.format());
    expected.fill(QColor(0, 0, 255));
    QPainter(&expected).fillRect(0, 0, 32, 64, QColor(0, 255, 0));
    EXPECT_EQ(target.frame, expected);
}

INSTANTIATE_TEST_SUITE_P(Backends, DeviceDraws, testing::ValuesIn(test::kBackends),
    [](const auto& info) { return test::backendName(info.param); });

INSTANTIATE_TEST_SUITE_P(Backends, DeviceBuffers, testing::ValuesIn(test::kBackends),
    [](const auto& info) { return test::backendName(info.param); });

} // namespace
} // namespace triview
