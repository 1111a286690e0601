// The vertex store on a real device: the buffer's bytes after storing, the
// stored colour, and how creation failures surface.
#include "DeviceRig.h"
#include "Raised.h"
#include "view/VertexStore.h"

#include <cstring>
#include <gtest/gtest.h>

namespace triview {
namespace {

struct VertexStoreTest : testing::Test, test::DeviceRig
{
    void SetUp() override
    {
        ASSERT_EQ(init(), vbTrue);
        seam->clearJournal();
    }
};

TriangleRecord triangle(float base, std::int32_t colour)
{
    return { { { { base, base + 1, base + 2 }, { base + 3, base + 4, base + 5 },
                 { base + 6, base + 7, base + 8 } } },
        colour };
}

TEST_F(VertexStoreTest, TrianglesLandInCallOrderAndNeverPastTheBuffer)
{
    ASSERT_EQ(InitGeometry(windowSlot(d3d), 3, triangle(10, 0x00FF0000)), vbTrue);
    ASSERT_EQ(InitGeometry2(windowSlot(d3d), 3, triangle(20, 0x0000FF00)), vbTrue);
    ASSERT_EQ(InitGeometry2(windowSlot(d3d), 6, triangle(30, -65536)), vbTrue);
    EXPECT_EQ(
        InitGeometry2(windowSlot(d3d), 9, triangle(40, 0)), vbTrue); // would not fit: not written
    const std::vector<std::byte> bytes = d3d.VertexBuffer->contents();
    ASSERT_EQ(bytes.size(), 144u);
    TriVertex v[9];
    std::memcpy(v, bytes.data(), bytes.size());
    const D3DCOLOR colours[] = { 0xFFFF0000, 0xFF00FF00, 0xFEFF0000 };
    for (int i = 0; i < 9; ++i) {
        const float base = 10.0f * (i / 3 + 1) + 3 * (i % 3);
        EXPECT_EQ(v[i].x, base) << i;
        EXPECT_EQ(v[i].y, base + 1) << i;
        EXPECT_EQ(v[i].z, base + 2) << i;
        EXPECT_EQ(v[i].colour, colours[i / 3]) << i;
    }
}

TEST_F(VertexStoreTest, StoredColourOverflowsBeforeAnyDeviceCall)
{
    EXPECT_EQ(storedColour(0), 0xFF000000u);
    EXPECT_EQ(storedColour(-2130706432), 0x80000000u);
    EXPECT_EQ(
        test::raisedNumber([&] { InitGeometry(windowSlot(d3d), 1, triangle(0, -2130706433)); }),
        err::Overflow);
    EXPECT_TRUE(seam->journal().empty());
}

TEST_F(VertexStoreTest, CreationFailuresRaiseTheirCodeAndOnlyNoBufferAnswersFalse)
{
    EXPECT_EQ(test::raisedNumber([&] { InitGeometry(windowSlot(d3d), 0, triangle(0, 0)); }),
        D3DERR_INVALIDCALL); // a buffer of no bytes
    seam->fail("CreateVertexBuffer", E_OUTOFMEMORY);
    EXPECT_EQ(test::raisedNumber([&] { InitGeometry(windowSlot(d3d), 1, triangle(0, 0)); }),
        E_OUTOFMEMORY);
    seam->fail("CreateVertexBuffer", D3D_OK);
    seam->yieldNothing("CreateVertexBuffer");
    EXPECT_EQ(InitGeometry(windowSlot(d3d), 1, triangle(0, 0)), vbFalse);
    EXPECT_EQ(Sample(windowSlot(d3d)), vbFalse);
}

} // namespace
} // namespace triview
