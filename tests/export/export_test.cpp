// A model written out: the mirror into right-handed axes, the faces' fronts,
// shared vertices, the drawn colours, each format's frame, and failures that
// leave the output as it was. What other programs make of the files is
// checked against them in readers_test.sh.
#include "export/ExportMesh.h"
#include "export/ExportModel.h"
#include "model/TriReader.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>
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

TEST(ExportMesh, MirrorKeepsUpAndTurnsClockwiseFrontsCounterClockwise)
{
    // Seen from triview's side (-z), a, b, c run clockwise: a front face,
    // facing -z. In the formats it must face the same way, counter-clockwise.
    const TriVertex a { 0, 0, 0, 0 }, b { 0, 1, 0, 0 }, c { 1, 0, 0, 0 };
    const struct
    {
        UpAxis up;
        Position toViewer, upward;
    } cases[] = { { UpAxis::Y, { 0, 0, 1 }, { 0, 1, 0 } }, { UpAxis::Z, { 0, -1, 0 }, { 0, 0, 1 } } };
    for (const auto& k : cases) {
        const std::array<TriVertex, 3> corners { a, b, c };
        Position p[3];
        for (int i = 0; i < 3; ++i)
            p[i] = rightHanded(corners[std::size_t(kCornerOrder[std::size_t(i)])], k.up);
        const float u[3] = { p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2] };
        const float v[3] = { p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2] };
        const Position normal
            = { u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0] };
        EXPECT_EQ(normal, k.toViewer);
        EXPECT_EQ(rightHanded(b, k.up), k.upward);
        // A mirror: the axes' determinant is -1.
        const Position x = rightHanded({ 1, 0, 0, 0 }, k.up), y = rightHanded({ 0, 1, 0, 0 }, k.up),
                       z = rightHanded({ 0, 0, 1, 0 }, k.up);
        EXPECT_EQ(x[0] * (y[1] * z[2] - y[2] * z[1]) - x[1] * (y[0] * z[2] - y[2] * z[0])
                + x[2] * (y[0] * z[1] - y[1] * z[0]),
            -1.0f);
    }
    EXPECT_FALSE(std::signbit(rightHanded({ -0.0f, -0.0f, 0.0f, 0 }, UpAxis::Y)[2]));
    EXPECT_FALSE(std::signbit(rightHanded({ -0.0f, -0.0f, 0.0f, 0 }, UpAxis::Z)[0]));
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
    EXPECT_EQ(shared.triangles[3][0], shared.triangles[3][2]);
    EXPECT_EQ(shared.colours[shared.triangles[2][0]], (Rgb { 0, 255, 0 }));
    EXPECT_TRUE(shared.cornerColours.empty());

    const IndexedMesh byPosition = sharedByPosition(model, UpAxis::Z);
    EXPECT_EQ(byPosition.triangles.size(), 3u); // the degenerate one left out
    EXPECT_EQ(byPosition.triangles[2][0], byPosition.triangles[0][0]); // -0 is 0
    EXPECT_EQ(byPosition.colours.size(), 3u);
    EXPECT_EQ(byPosition.colours[byPosition.cornerColours[2][1]], (Rgb { 0, 255, 0 }));
    EXPECT_EQ(byPosition.cornerColours[0], byPosition.cornerColours[1]);
}

TEST(ExportFormats, EachFormatCarriesTheDrawnColourAndMirroredCorners)
{
    const test::TempDir dir;
    // 300 spills past the red byte into alpha: triview draws red 44.
    const Model model = modelOf(dir, record("300,200,10", "1,2,3", "4,5,6", "7,8,-9"));

    const std::string ply = encodeModel(model, ExportFormat::PlyAscii);
    EXPECT_NE(ply.find("end_header\n1 3 2 44 200 10\n7 -9 8 44 200 10\n4 6 5 44 200 10\n3 0 1 2\n"),
        std::string::npos)
        << ply;
    const std::string binaryPly = encodeModel(model, ExportFormat::Ply);
    const std::size_t body = binaryPly.find("end_header\n") + 11;
    EXPECT_EQ(at<float>(binaryPly, body + 8), 2.0f);
    EXPECT_EQ(binaryPly.substr(body + 12, 3), "\x2C\xC8\x0A");
    EXPECT_EQ(binaryPly.size(), body + 3 * 15 + 13);

    const std::string obj = encodeModel(model, ExportFormat::Obj);
    EXPECT_NE(obj.find("\no m\nv 1 2 -3 0.17254902 0.78431374 0.039215688\nv 7 8 9 "),
        std::string::npos)
        << obj;
    EXPECT_NE(obj.find("\nf 1 2 3\n"), std::string::npos);

    const std::string stl = encodeModel(model, ExportFormat::Stl);
    ASSERT_EQ(stl.size(), 84u + 50u);
    EXPECT_NE(stl.compare(0, 5, "solid"), 0); // "solid" would say ASCII
    EXPECT_EQ(at<std::uint32_t>(stl, 80), 1u);
    EXPECT_EQ(at<float>(stl, 84 + 12 + 12 + 4), -9.0f); // corner 2 second, its y the old z
    EXPECT_NEAR(at<float>(stl, 84), -0.70710678f, 1e-6f); // the normal, counter-clockwise's
    EXPECT_NEAR(at<float>(stl, 92), 0.70710678f, 1e-6f);

    // glTF's colours are linear: sRGB 200 is 0.5776, 10 is 0.0030.
    const std::string glb = encodeModel(model, ExportFormat::Glb);
    ASSERT_EQ(glb.compare(0, 4, "glTF"), 0);
    EXPECT_EQ(at<std::uint32_t>(glb, 8), glb.size());
    const auto jsonLength = at<std::uint32_t>(glb, 12);
    EXPECT_EQ(jsonLength % 4, 0u);
    const std::string json = glb.substr(20, jsonLength);
    EXPECT_NE(json.find(R"("min":[1,2,-6],"max":[7,8,9])"), std::string::npos) << json;
    EXPECT_NE(json.find(R"("doubleSided":true)"), std::string::npos);
    const std::size_t bin = 20 + jsonLength + 8;
    EXPECT_EQ(at<float>(glb, bin + 8), -3.0f);
    EXPECT_NEAR(at<float>(glb, bin + 36 + 4), 0.5775804f, 1e-6f);
    EXPECT_NEAR(at<float>(glb, bin + 36 + 8), 0.0030353f, 1e-6f);
    const std::string gltf = encodeModel(model, ExportFormat::Gltf);
    EXPECT_NE(gltf.find(R"("uri":"data:application/octet-stream;base64,AACAPwAAAEAAAEDA)"),
        std::string::npos)
        << gltf;

    const std::string fbx = encodeModel(model, ExportFormat::Fbx);
    EXPECT_EQ(fbx.compare(0, 23, std::string("Kaydara FBX Binary  \0\x1A\0", 23)), 0);
    EXPECT_EQ(fbx.size() % 16, 0u);
    EXPECT_EQ(at<std::uint32_t>(fbx, 23), 7400u);
}

TEST(ExportFormats, ThreeMfIsAPackageOfOneMeshColouredByGroupInMillimetres)
{
    const test::TempDir dir;
    const Model model = modelOf(dir,
        record("255,0,0", "0,0,0", "0,1,0", "1,1,0") + record("0,0,255", "0,0,0", "1,1,0", "1,0,0")
            + record("0,0,255", "2,2,2", "2,2,2", "3,2,2"));
    const std::string zip = encodeModel(model, ExportFormat::ThreeMf);
    EXPECT_NE(zipEntry(zip, "[Content_Types].xml").find(R"(Extension="model")"), std::string::npos);
    EXPECT_NE(zipEntry(zip, "_rels/.rels").find(R"(Target="/3D/3dmodel.model")"), std::string::npos);
    const std::string part = zipEntry(zip, "3D/3dmodel.model");
    EXPECT_NE(part.find(R"(unit="millimeter")"), std::string::npos);
    EXPECT_NE(part.find("<m:color color=\"#FF0000\"/>\n<m:color color=\"#0000FF\"/>"),
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
