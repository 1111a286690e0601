// A model written out: what the programs that read the files cannot tell
// (readers_test.py and pictures_test.py ask them the rest): positive zeros,
// shared vertices, STL's header and normals, 3MF's package and its corners'
// colours, and failures that leave the output as it was.
#include "TempFile.h"
#include "export/ExportMesh.h"
#include "export/ExportModel.h"
#include "model/TriReader.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <zlib.h>

namespace triview {
namespace {

// A record: the colour's and the corners' first three numbers of six.
std::string record(const char* colour, const char* a, const char* b, const char* c)
{
    std::string text = "Triangle\n";
    for (const char* group : { colour, a, b, c })
        text.append(group).append(",0,0,0\n");
    return text;
}

Model modelOf(const test::TempDir& dir, const std::string& text)
{
    const std::string file = dir.write("m.tri", text);
    return *readModel(file, counttri(file));
}

std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), {} };
}

template <typename T> T at(const std::string& bytes, std::size_t offset)
{
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// The entry of a ZIP archive, inflated, its CRC checked; "" when missing.
std::string zipEntry(const std::string& zip, const std::string& name)
{
    for (std::size_t p = 0; p + 30 <= zip.size() && at<std::uint32_t>(zip, p) == 0x04034b50;) {
        const auto packed = at<std::uint32_t>(zip, p + 18), size = at<std::uint32_t>(zip, p + 22);
        const auto nameLength = at<std::uint16_t>(zip, p + 26);
        const std::size_t data = p + 30 + nameLength + at<std::uint16_t>(zip, p + 28);
        if (zip.compare(p + 30, nameLength, name) == 0) {
            std::string out(size, '\0');
            z_stream stream {};
            inflateInit2(&stream, -15);
            stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
            stream.avail_in = packed;
            stream.next_out = reinterpret_cast<Bytef*>(out.data());
            stream.avail_out = size;
            EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END) << name;
            inflateEnd(&stream);
            EXPECT_EQ(crc32(0, reinterpret_cast<const Bytef*>(out.data()), size),
                at<std::uint32_t>(zip, p + 14))
                << name;
            return out;
        }
        p = data + packed;
    }
    return "";
}

// Where the mirror puts each axis is checked by the readers; here, that a
// zero never becomes -0, which would part a vertex from its twin at +0.
TEST(ExportMesh, MirrorPutsUpOnUpAndKeepsZerosPositive)
{
    const TriVertex up { -0.0f, 1.0f, 0.0f, 0 };
    EXPECT_EQ(rightHanded(up, UpAxis::Y), (Position { 0, 1, 0 }));
    EXPECT_EQ(rightHanded(up, UpAxis::Z), (Position { 0, 0, 1 }));
    for (const UpAxis axis : { UpAxis::Y, UpAxis::Z })
        for (const float coordinate : rightHanded(up, axis))
            EXPECT_FALSE(std::signbit(coordinate));
}

TEST(ExportMesh, VerticesAreSharedWherePositionAndColourAreEqualOrByPositionAlone)
{
    const test::TempDir dir;
    // Two triangles of one square, one red, one red and a sliver beside it in
    // green sharing two corners (one at -0), and a degenerate triangle.
    const Model model = modelOf(dir,
        record("255,0,0", "0,0,0", "0,1,0", "1,1,0") + record("255,0,0", "0,0,0", "1,1,0", "1,0,0")
            + record("0,255,0", "-0,0,-0", "1,0,0", "2,0,0")
            + record("0,0,255", "5,5,5", "5,5,5", "6,5,5"));
    const IndexedMesh shared = sharedByPositionAndColour(model, UpAxis::Y);
    EXPECT_EQ(shared.positions.size(), 4u + 3u + 2u);
    EXPECT_EQ(shared.triangles.size(), 4u); // the degenerate one as it is

    const IndexedMesh byPosition = sharedByPosition(model, UpAxis::Z);
    EXPECT_EQ(byPosition.triangles.size(), 3u); // the degenerate one left out
    EXPECT_EQ(byPosition.triangles[2][0], byPosition.triangles[0][0]); // -0 is 0
    EXPECT_EQ(byPosition.colours.size(), 3u);
    EXPECT_EQ(byPosition.colours[byPosition.cornerColours[2][1]], (Rgb { 0, 255, 0 }));
    EXPECT_EQ(byPosition.cornerColours[0], byPosition.cornerColours[1]);
}

// Readers of STL ignore its normals, and take a header that starts with
// "solid" for text: what readers_test.py cannot see.
TEST(ExportFormats, StlIsBinaryWithEachFacetsOutwardNormal)
{
    const test::TempDir dir;
    const std::string stl
        = encodeModel(modelOf(dir, record("1,2,3", "1,2,3", "4,5,6", "7,8,-9")), ExportFormat::Stl);
    ASSERT_EQ(stl.size(), 84u + 50u);
    EXPECT_NE(stl.compare(0, 5, "solid"), 0);
    // Corners 1, 3, 2 as (x, z, y): their counter-clockwise normal.
    EXPECT_NEAR(at<float>(stl, 84), -0.70710678f, 1e-6f);
    EXPECT_EQ(at<float>(stl, 88), 0.0f);
    EXPECT_NEAR(at<float>(stl, 92), 0.70710678f, 1e-6f);
}

TEST(ExportFormats, ThreeMfIsAPackageOfOneMeshColouredByGroupInMillimetres)
{
    const test::TempDir dir;
    const Model model = modelOf(dir,
        record("255,0,0", "0,0,0", "0,1,0", "1,1,0") + record("0,0,255", "0,0,0", "1,1,0", "1,0,0")
            + record("0,0,255", "2,2,2", "2,2,2", "3,2,2"));
    const std::string zip = encodeModel(model, ExportFormat::ThreeMf);
    EXPECT_NE(zipEntry(zip, "[Content_Types].xml").find(R"(Extension="model")"), std::string::npos);
    EXPECT_NE(
        zipEntry(zip, "_rels/.rels").find(R"(Target="/3D/3dmodel.model")"), std::string::npos);
    const std::string part = zipEntry(zip, "3D/3dmodel.model");
    EXPECT_NE(part.find(R"(unit="millimeter")"), std::string::npos);
    EXPECT_NE(part.find("<m:color color=\"#FF0000FF\"/>\n<m:color color=\"#0000FFFF\"/>"),
        std::string::npos)
        << part;
    EXPECT_NE(part.find(R"(<vertex x="1" y="0" z="1"/>)"), std::string::npos);
    EXPECT_NE(part.find(R"(<triangle v1="0" v2="3" v3="1" pid="1" p1="1"/>)"), std::string::npos)
        << part;
    EXPECT_EQ(part.find(R"(v1="4")"), std::string::npos); // the degenerate one left out
    // The demonstration model's corners each have a colour of their own.
    EXPECT_NE(zipEntry(encodeModel(demonstration(), ExportFormat::ThreeMf), "3D/3dmodel.model")
                  .find(R"(p1="0" p2="1" p3="2")"),
        std::string::npos);
}

TEST(ExportModel, FailuresSayWhyAndLeaveTheOutputAsItWas)
{
    const test::TempDir dir;
    const std::string output = dir.write("out.glb", "before");
    const std::string broken = dir.write("broken.tri", record("1,2,3", "1,2,3", "1,x,3", "1,2,3"));
    const struct
    {
        std::optional<std::string> file;
        std::string output;
        int status;
        const char* says;
    } cases[] = {
        { dir.path() / "missing.tri", output, 1, "53" },
        { broken, output, 1, "第 4 行" },
        { broken, broken, 2, "would overwrite the model" },
        { dir.path() / "out.glb", output, 2, "would overwrite the model" },
    };
    for (const auto& c : cases) {
        const auto failure = exportModel(c.file, c.output, ExportFormat::Glb);
        ASSERT_TRUE(failure) << c.says;
        EXPECT_EQ(failure->exitStatus, c.status);
        EXPECT_NE(failure->message.find(c.says), std::string::npos) << failure->message;
        EXPECT_EQ(fileText(output), "before");
    }
    EXPECT_FALSE(exportModel(std::nullopt, output, ExportFormat::Stl));
    EXPECT_EQ(fileText(output).size(), 84u + 50u * 3u); // the demonstration model, in place
}

} // namespace
} // namespace triview
