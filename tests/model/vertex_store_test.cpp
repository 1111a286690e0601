// The vertex store on a real device: what the buffer holds afterwards, byte
// for byte, and how creation failures surface.
#include "CapturingTarget.h"
#include "runtime/RuntimeError.h"
#include "model/VertexStore.h"
#include "render/DeviceSeam.h"

#include <cstring>
#include <gtest/gtest.h>

namespace triview {
namespace {

class VertexStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(
            InitD3D(d3d, &target, [this] { return std::make_unique<DirectX8>(seam); }), vbTrue);
        seam->clearJournal();
    }

    std::vector<TriVertex> vertices()
    {
        const std::vector<std::byte> bytes = d3d.VertexBuffer->contents();
        std::vector<TriVertex> result(bytes.size() / sizeof(TriVertex));
        std::memcpy(result.data(), bytes.data(), result.size() * sizeof(TriVertex));
        return result;
    }

    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    test::CapturingTarget target { QSize(32, 32) };
    Direct3DObjects d3d;
};

TriangleRecord triangle(float base, std::int32_t colour)
{
    return { { { { base, base + 1, base + 2 }, { base + 3, base + 4, base + 5 },
                 { base + 6, base + 7, base + 8 } } },
        colour };
}

void expectTriangle(const TriVertex* v, float base, D3DCOLOR colour)
{
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(v[i].x, base + 3 * i);
        EXPECT_EQ(v[i].y, base + 3 * i + 1);
        EXPECT_EQ(v[i].z, base + 3 * i + 2);
        EXPECT_EQ(v[i].colour, colour);
    }
}

TEST_F(VertexStoreTest, TrianglesLandInCallOrder)
{
    ASSERT_EQ(InitGeometry(d3d, 3, triangle(10, 0x00FF0000)), vbTrue);
    ASSERT_EQ(InitGeometry2(d3d, 3, triangle(20, 0x0000FF00)), vbTrue);
    ASSERT_EQ(InitGeometry2(d3d, 6, triangle(30, 0x000000FF)), vbTrue);
    const std::vector<TriVertex> v = vertices();
    ASSERT_EQ(v.size(), 9u);
    expectTriangle(&v[0], 10, 0xFFFF0000);
    expectTriangle(&v[3], 20, 0xFF00FF00);
    expectTriangle(&v[6], 30, 0xFF0000FF);
}

TEST_F(VertexStoreTest, BufferHoldsTriangleCountTriangles)
{
    for (const auto& [count, bytes] : { std::pair { 3, 144 }, std::pair { 32767, 1572816 } }) {
        ASSERT_EQ(InitGeometry(d3d, static_cast<std::int16_t>(count), triangle(0, 0)), vbTrue);
        EXPECT_EQ(d3d.VertexBuffer->length(), bytes);
    }
}

TEST_F(VertexStoreTest, TriangleThatWouldNotFitIsNotWritten)
{
    ASSERT_EQ(InitGeometry(d3d, 1, triangle(10, 0)), vbTrue);
    EXPECT_EQ(InitGeometry2(d3d, 3, triangle(20, 0)), vbTrue);
    const std::vector<TriVertex> v = vertices();
    ASSERT_EQ(v.size(), 3u);
    expectTriangle(&v[0], 10, 0xFF000000);

    d3d.VertexBuffer.reset();
    EXPECT_EQ(InitGeometry2(d3d, 0, triangle(20, 0)), vbTrue); // no buffer: nothing to write into
}

TEST_F(VertexStoreTest, SampleHoldsTheDemonstrationModelAsListed)
{
    ASSERT_EQ(Sample(d3d), vbTrue);
    const TriVertex expected[9] = {
        { 200, -230, 50, 0xFF00FFFF },
        { 182, 170, -100, 0xFFFF00FF },
        { -182, -230, 150, 0xFFFFFF00 },
        { 150, 170, -80, 0x00FF0000 },
        { -250, -120, -126, 0xFFFFFF00 },
        { 272, -130, 130, 0x000000FF },
        { -150, -170, -50, 0xF0FF0000 },
        { -182, 170, 126, 0xF0F0FF00 },
        { -272, 130, -150, 0xF0F0F0FF },
    };
    const std::vector<TriVertex> v = vertices();
    ASSERT_EQ(v.size(), 9u);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(v[i].x, expected[i].x) << i;
        EXPECT_EQ(v[i].y, expected[i].y) << i;
        EXPECT_EQ(v[i].z, expected[i].z) << i;
        EXPECT_EQ(v[i].colour, expected[i].colour) << i;
    }
}

TEST(StoredColour, AddsAlphaByChecked32BitSubtraction)
{
    EXPECT_EQ(storedColour(0x00FFFFFF), 0xFFFFFFFFu);
    EXPECT_EQ(storedColour(0), 0xFF000000u);
    EXPECT_EQ(storedColour(-2130706432), 0x80000000u);
    EXPECT_EQ(storedColour(-65536), 0xFEFF0000u); // -1, 0, 0 spills into the alpha byte
    try {
        storedColour(-2130706433);
        ADD_FAILURE() << "no overflow";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), err::Overflow);
    }
}

TEST_F(VertexStoreTest, ColourOverflowComesBeforeAnyDeviceCall)
{
    EXPECT_THROW(InitGeometry(d3d, 1, triangle(0, -2130706433)), RuntimeError);
    EXPECT_TRUE(seam->journal().empty());
    EXPECT_FALSE(d3d.VertexBuffer);
}

TEST_F(VertexStoreTest, CreationFailureRaisesItsResultCode)
{
    seam->fail("CreateVertexBuffer", E_OUTOFMEMORY);
    for (const auto& store : { std::function<void()>([&] { InitGeometry(d3d, 1, triangle(0, 0)); }),
             std::function<void()>([&] { Sample(d3d); }) }) {
        try {
            store();
            ADD_FAILURE() << "no error";
        } catch (const RuntimeError& error) {
            EXPECT_EQ(error.number(), E_OUTOFMEMORY);
            EXPECT_NE(error.report().find("CreateVertexBuffer"), std::string::npos);
        }
    }
}

TEST_F(VertexStoreTest, ZeroTrianglesAskForAnEmptyBufferWhichIsRefused)
{
    try {
        InitGeometry(d3d, 0, triangle(0, 0));
        ADD_FAILURE() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), D3DERR_INVALIDCALL);
    }
}

TEST_F(VertexStoreTest, FalseOnlyWhenCreationSucceedsWithoutABuffer)
{
    seam->yieldNothing("CreateVertexBuffer");
    EXPECT_EQ(InitGeometry(d3d, 1, triangle(0, 0)), vbFalse);
    EXPECT_EQ(Sample(d3d), vbFalse);
    EXPECT_FALSE(d3d.VertexBuffer);
}

TEST_F(VertexStoreTest, WithoutADeviceTheStoreRaisesInsteadOfCrashing)
{
    Cleanup(d3d);
    EXPECT_THROW(Sample(d3d), RuntimeError);
}

} // namespace
} // namespace triview
