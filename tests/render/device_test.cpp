// Device set-up and release, and the device's operations on OpenGL: what
// they draw, and what they refuse.
#include "CapturingTarget.h"
#include "runtime/RuntimeError.h"
#include "render/D3DXMath.h"
#include "render/DeviceSeam.h"
#include "render/DeviceSetup.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>

namespace triview {
namespace {

using Journal = std::vector<std::string>;

bool contains(const Journal& journal, const std::string& operation)
{
    return std::find(journal.begin(), journal.end(), operation) != journal.end();
}

class DeviceSetUp : public testing::Test
{
protected:
    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::CapturingTarget target { QSize(64, 48) };
    Direct3DObjects d3d;
    int rootsMade = 0;

    RootFactory factory()
    {
        return [this] {
            ++rootsMade;
            return std::make_unique<DirectX8>(seam);
        };
    }
    VbBoolean init() { return InitD3D(d3d, &target, factory()); }
};

TEST_F(DeviceSetUp, MakesTheDeviceAndSetsTheThreeStatesInOrder)
{
    EXPECT_EQ(init(), vbTrue);
    ASSERT_TRUE(d3d.D3DDevice);
    EXPECT_EQ(d3d.D3DDevice->backBufferSize(), QSize(64, 48));
    EXPECT_EQ(seam->journal(),
        (Journal { "Direct3DCreate", "GetAdapterDisplayMode", "CreateDevice", "SetRenderState:22",
            "SetRenderState:7", "SetRenderState:137" }));
}

TEST_F(DeviceSetUp, NoDirect3DObjectMeansNoQueryAndNoDevice)
{
    seam->yieldNothing("Direct3DCreate");
    EXPECT_EQ(init(), vbFalse);
    EXPECT_FALSE(d3d.D3DObject);
    EXPECT_TRUE(d3d.DxRoot);
    EXPECT_EQ(seam->journal(), Journal { "Direct3DCreate" });
}

TEST_F(DeviceSetUp, RootThatCannotBeMadeSkipsDirect3DCreate)
{
    const RootFactory failing
        = []() -> std::unique_ptr<DirectX8> { throw RuntimeError(err::CannotCreateObject); };
    EXPECT_EQ(InitD3D(d3d, &target, failing), vbFalse);
    EXPECT_FALSE(d3d.DxRoot);
    EXPECT_FALSE(d3d.D3DObject);
}

TEST_F(DeviceSetUp, FailingCreateDeviceGivesFalse)
{
    seam->fail("CreateDevice", D3DERR_NOTAVAILABLE);
    EXPECT_EQ(init(), vbFalse);
    EXPECT_FALSE(d3d.D3DDevice);
    EXPECT_TRUE(d3d.D3DObject);
    EXPECT_FALSE(contains(seam->journal(), "SetRenderState:22"));
}

TEST_F(DeviceSetUp, FailingDisplayModeLeavesFormatUnknownWhichTheDeviceRefuses)
{
    seam->fail("GetAdapterDisplayMode", D3DERR_NOTAVAILABLE);
    EXPECT_EQ(init(), vbFalse);
    EXPECT_TRUE(contains(seam->journal(), "CreateDevice"));
    EXPECT_FALSE(d3d.D3DDevice);
}

TEST_F(DeviceSetUp, FailingRenderStatesStillGiveTrue)
{
    for (const char* state : { "SetRenderState:22", "SetRenderState:7", "SetRenderState:137" })
        seam->fail(state, D3DERR_INVALIDCALL);
    EXPECT_EQ(init(), vbTrue);
    EXPECT_TRUE(d3d.D3DDevice);
    // Each failing statement is skipped and the next one still runs.
    EXPECT_TRUE(contains(seam->journal(), "SetRenderState:137"));
}

TEST_F(DeviceSetUp, ReusesAnExistingRoot)
{
    d3d.DxRoot = std::make_unique<DirectX8>(seam);
    const DirectX8* root = d3d.DxRoot.get();
    EXPECT_EQ(init(), vbTrue);
    EXPECT_EQ(rootsMade, 0);
    EXPECT_EQ(d3d.DxRoot.get(), root);
    EXPECT_TRUE(contains(seam->journal(), "Direct3DCreate"));
}

TEST_F(DeviceSetUp, CleanupReleasesBufferDeviceDirect3DInOrderAndKeepsTheRoot)
{
    ASSERT_EQ(init(), vbTrue);
    ASSERT_EQ(
        d3d.D3DDevice->CreateVertexBuffer(48, 0, kVertexFormat, D3DPOOL_DEFAULT, d3d.VertexBuffer),
        D3D_OK);
    seam->clearJournal();
    Cleanup(d3d);
    EXPECT_EQ(seam->journal(),
        (Journal { "Release:VertexBuffer", "Release:Device", "Release:Direct3D" }));
    EXPECT_FALSE(d3d.VertexBuffer || d3d.D3DDevice || d3d.D3DObject);
    EXPECT_TRUE(d3d.DxRoot);

    seam->clearJournal();
    Cleanup(d3d); // already empty: nothing happens
    EXPECT_TRUE(seam->journal().empty());
}

TEST_F(DeviceSetUp, CleanupWithoutAVertexBuffer)
{
    ASSERT_EQ(init(), vbTrue);
    seam->clearJournal();
    Cleanup(d3d);
    EXPECT_EQ(seam->journal(), (Journal { "Release:Device", "Release:Direct3D" }));
    EXPECT_TRUE(d3d.DxRoot);
}

TEST(DisplayMode, ReportsTheScreenInTrueColour)
{
    Direct3D8 direct3D(nullptr);
    D3DDISPLAYMODE mode {};
    ASSERT_EQ(direct3D.GetAdapterDisplayMode(D3DADAPTER_DEFAULT, mode), D3D_OK);
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(mode.Width, static_cast<std::uint32_t>(screen->size().width()));
    EXPECT_EQ(mode.Height, static_cast<std::uint32_t>(screen->size().height()));
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(direct3D.GetAdapterDisplayMode(1, mode), D3DERR_INVALIDCALL);
}

D3DPRESENT_PARAMETERS programParameters()
{
    D3DPRESENT_PARAMETERS p {};
    p.Windowed = 1;
    p.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.BackBufferCount = 1;
    p.EnableAutoDepthStencil = 1;
    p.AutoDepthStencilFormat = D3DFMT_D16;
    return p;
}

TEST(CreateDevice, RefusesWhatTheProgramDoesNotAskFor)
{
    test::CapturingTarget target(QSize(32, 32));
    const struct
    {
        const char* name;
        std::uint32_t adapter, type, flags;
        bool window;
        void (*change)(D3DPRESENT_PARAMETERS&);
        HRESULT expected;
    } cases[] = {
        { "SecondAdapter", 1, D3DDEVTYPE_HAL, 32, true, [](auto&) {}, D3DERR_INVALIDCALL },
        { "ReferenceDevice", 0, 2, 32, true, [](auto&) {}, D3DERR_NOTAVAILABLE },
        { "HardwareVertexProcessing", 0, D3DDEVTYPE_HAL, 64, true, [](auto&) {},
            D3DERR_INVALIDCALL },
        { "Multithreaded", 0, D3DDEVTYPE_HAL, 32 | 4, true, [](auto&) {}, D3DERR_INVALIDCALL },
        { "NoWindow", 0, D3DDEVTYPE_HAL, 32, false, [](auto&) {}, D3DERR_INVALIDCALL },
        { "FullScreen", 0, D3DDEVTYPE_HAL, 32, true, [](auto& p) { p.Windowed = 0; },
            D3DERR_NOTAVAILABLE },
        { "UnknownFormat", 0, D3DDEVTYPE_HAL, 32, true, [](auto& p) { p.BackBufferFormat = 0; },
            D3DERR_INVALIDCALL },
        { "DepthFormat24", 0, D3DDEVTYPE_HAL, 32, true,
            [](auto& p) { p.AutoDepthStencilFormat = 77; }, D3DERR_INVALIDCALL },
        { "Multisampled", 0, D3DDEVTYPE_HAL, 32, true, [](auto& p) { p.MultiSampleType = 2; },
            D3DERR_NOTAVAILABLE },
        { "HugeBackBuffer", 0, D3DDEVTYPE_HAL, 32, true,
            [](auto& p) { p.BackBufferWidth = 1u << 20; }, D3DERR_INVALIDCALL },
    };
    Direct3D8 direct3D(nullptr);
    for (const auto& c : cases) {
        D3DPRESENT_PARAMETERS p = programParameters();
        c.change(p);
        std::unique_ptr<Direct3DDevice8> device;
        EXPECT_EQ(direct3D.CreateDevice(
                      c.adapter, c.type, c.window ? &target : nullptr, c.flags, p, device),
            c.expected)
            << c.name;
        EXPECT_FALSE(device) << c.name;
    }
}

// A device of 32 x 32 pixels with identity transforms, so that vertex
// coordinates are clip coordinates.
class DeviceOperations : public testing::Test
{
protected:
    void SetUp() override
    {
        D3DPRESENT_PARAMETERS p = programParameters();
        ASSERT_EQ(
            Direct3D8(nullptr).CreateDevice(0, D3DDEVTYPE_HAL, &target, 32, p, device), D3D_OK);
    }

    std::shared_ptr<Direct3DVertexBuffer8> buffer(std::int32_t length)
    {
        std::shared_ptr<Direct3DVertexBuffer8> vb;
        EXPECT_EQ(
            device->CreateVertexBuffer(length, 0, kVertexFormat, D3DPOOL_DEFAULT, vb), D3D_OK);
        return vb;
    }

    // Draws one triangle of colour over black and presents it.
    QColor drawTriangle(const float (&xyz)[9], D3DCOLOR colour)
    {
        struct
        {
            float x, y, z;
            D3DCOLOR c;
        } vertices[3];
        for (int i = 0; i < 3; ++i)
            vertices[i] = { xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2], colour };
        const auto vb = buffer(sizeof vertices);
        EXPECT_EQ(D3DVertexBuffer8SetData(vb.get(), 0, sizeof vertices, 0, vertices), D3D_OK);
        EXPECT_EQ(
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->SetStreamSource(0, vb, kVertexStride), D3D_OK);
        EXPECT_EQ(device->SetVertexShader(kVertexFormat), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        return target.last.pixelColor(16, 20);
    }

    test::CapturingTarget target { QSize(32, 32) };
    std::unique_ptr<Direct3DDevice8> device;
};

TEST_F(DeviceOperations, ClearAndPresentShowBlackAtTheBackBufferSize)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    ASSERT_EQ(target.last.size(), QSize(32, 32));
    for (const QPoint p :
        { QPoint(0, 0), QPoint(31, 0), QPoint(16, 16), QPoint(0, 31), QPoint(31, 31) })
        EXPECT_EQ(target.last.pixelColor(p), QColor(0, 0, 0)) << p.x() << "," << p.y();
}

TEST_F(DeviceOperations, ClearColourKeepsItsChannels)
{
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80336699, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(target.last.pixelColor(5, 5), QColor(0x33, 0x66, 0x99)); // alpha never shows
}

TEST_F(DeviceOperations, VertexColourChannelsAndTheDefaultLighting)
{
    const float triangle[9] = { -0.9f, -0.9f, 0.5f, 0.0f, 0.9f, 0.5f, 0.9f, -0.9f, 0.5f };
    // A new device lights vertices, and with no lights they are black.
    EXPECT_EQ(drawTriangle(triangle, 0x00FF8040), QColor(0, 0, 0));
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, 0), D3D_OK);
    EXPECT_EQ(drawTriangle(triangle, 0x00FF8040), QColor(0xFF, 0x80, 0x40));
}

TEST_F(DeviceOperations, CullModesFollowTheWindingOnScreen)
{
    ASSERT_EQ(device->SetRenderState(D3DRS_LIGHTING, 0), D3D_OK);
    // Bottom left, top, bottom right: clockwise as seen on the screen.
    const float clockwise[9] = { -0.9f, -0.9f, 0.5f, 0.0f, 0.9f, 0.5f, 0.9f, -0.9f, 0.5f };
    const QColor red(255, 0, 0), black(0, 0, 0);
    EXPECT_EQ(drawTriangle(clockwise, 0xFFFF0000), red); // the default culls counter-clockwise
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
    EXPECT_EQ(drawTriangle(clockwise, 0xFFFF0000), black);
    ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE), D3D_OK);
    EXPECT_EQ(drawTriangle(clockwise, 0xFFFF0000), red);
}

TEST_F(DeviceOperations, RenderStatesOutsideWhatIsSupportedAreRefused)
{
    EXPECT_EQ(device->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD), D3D_OK);
    EXPECT_EQ(device->SetRenderState(D3DRS_SHADEMODE, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_ZENABLE, 2), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_CULLMODE, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(27, 1), D3DERR_INVALIDCALL); // alpha blending
}

TEST_F(DeviceOperations, CreateVertexBufferTakesOnlyTheProgramsKind)
{
    std::shared_ptr<Direct3DVertexBuffer8> vb;
    EXPECT_EQ(device->CreateVertexBuffer(0, 0, kVertexFormat, 0, vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(-48, 0, kVertexFormat, 0, vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(48, 8, kVertexFormat, 0, vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(48, 0, 0x112, 0, vb), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateVertexBuffer(48, 0, kVertexFormat, 1, vb), D3DERR_INVALIDCALL);
    EXPECT_FALSE(vb);
    ASSERT_EQ(device->CreateVertexBuffer(1572816, 0, kVertexFormat, 0, vb), D3D_OK);
    EXPECT_EQ(vb->length(), 1572816);
}

TEST_F(DeviceOperations, FillsInsideTheBufferAndRefusesOutsideWritingNothing)
{
    const auto vb = buffer(64);
    std::vector<std::byte> source(64);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = std::byte(i + 1);
    std::vector<std::byte> expected(64); // starts all zero
    ASSERT_EQ(vb->contents(), expected);

    EXPECT_EQ(
        D3DVertexBuffer8SetData(vb.get(), 16, 48, 0, source.data()), D3D_OK); // ends at the end
    std::memcpy(expected.data() + 16, source.data(), 48);
    EXPECT_EQ(vb->contents(), expected);

    const struct
    {
        std::int32_t offset, size;
        std::uint32_t flags;
    } refused[] = { { 17, 48, 0 }, { 64, 1, 0 }, { -1, 8, 0 }, { 0, -8, 0 }, { 0, 65, 0 },
        { 0, 16, 1 }, { 2147483647, 16, 0 } };
    for (const auto& r : refused) {
        EXPECT_EQ(D3DVertexBuffer8SetData(vb.get(), r.offset, r.size, r.flags, source.data()),
            D3DERR_INVALIDCALL)
            << r.offset << "+" << r.size;
        EXPECT_EQ(vb->contents(), expected);
    }
    EXPECT_EQ(D3DVertexBuffer8SetData(nullptr, 0, 16, 0, source.data()), D3DERR_INVALIDCALL);
}

TEST_F(DeviceOperations, DrawIsRefusedPastTheBufferOutsideASceneOrWithoutItsBuffer)
{
    auto vb = buffer(144); // nine vertices
    ASSERT_EQ(device->SetStreamSource(0, vb, kVertexStride), D3D_OK);
    ASSERT_EQ(device->SetVertexShader(kVertexFormat), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3DERR_INVALIDCALL); // no scene
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 3), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 3, 2), D3D_OK);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 4), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 1, 3), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, -1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(5, 0, 1), D3DERR_INVALIDCALL); // strips are not drawn
    vb.reset();
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

TEST_F(DeviceOperations, StreamShaderTransformAndPresentArgumentsAreChecked)
{
    const auto vb = buffer(48);
    EXPECT_EQ(device->SetStreamSource(1, vb, kVertexStride), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetStreamSource(0, vb, 20), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetVertexShader(0x142), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(1, identityMatrix()), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTransform(D3DTS_WORLD, identityMatrix()), D3D_OK);
    const D3DRECT rect { 0, 0, 4, 4 };
    EXPECT_EQ(device->Present(&rect, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, 4, 0, 1.0f, 0), D3DERR_INVALIDCALL); // no stencil buffer
    EXPECT_EQ(target.presents, 0);
}

} // namespace
} // namespace triview
