// The example models: each loads through the real reader with the count the
// generator wrote, uses CR LF line ends, and is what the generator writes
// today.
#include "ScriptedRuntime.h"
#include "TempFile.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>

namespace triview {
namespace {

const std::filesystem::path kExamples = TRIVIEW_EXAMPLES_DIR;

std::string slurp(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

class Collect : public TriangleSink
{
public:
    std::vector<TriangleRecord> triangles;
    VbBoolean InitGeometry(const TriangleRecord& t) override
    {
        triangles.push_back(t);
        return vbTrue;
    }
    VbBoolean InitGeometry2(const TriangleRecord& t, std::int16_t) override
    {
        triangles.push_back(t);
        return vbTrue;
    }
};

struct Example
{
    const char* file;
    std::int16_t triangles;
};

class Examples : public testing::TestWithParam<Example>
{
};

TEST_P(Examples, LoadWithTheirCount)
{
    const std::string path = (kExamples / GetParam().file).string();
    const std::int16_t count = counttri(path);
    EXPECT_EQ(count, GetParam().triangles);
    Collect store;
    test::ScriptedRuntime runtime;
    std::int16_t cursor = 0;
    loadtri(path, count, cursor, store, runtime);
    EXPECT_EQ(cursor, 3 * count);
    EXPECT_EQ(store.triangles.size(), static_cast<std::size_t>(count));
    EXPECT_TRUE(runtime.messages.empty());
}

TEST_P(Examples, UseCrLfLineEnds)
{
    const std::string text = slurp(kExamples / GetParam().file);
    ASSERT_FALSE(text.empty());
    ASSERT_TRUE(text.ends_with("\r\n"));
    for (std::size_t i = text.find('\n'); i != std::string::npos; i = text.find('\n', i + 1))
        ASSERT_EQ(text[i - 1], '\r') << "a bare LF at byte " << i;
}

INSTANTIATE_TEST_SUITE_P(All, Examples,
    testing::Values(Example { "cube.tri", 12 }, Example { "sphere.tri", 10920 },
        Example { "terrain.tri", 4608 }),
    [](const auto& info) {
        const std::string file = info.param.file;
        return file.substr(0, file.find('.'));
    });

TEST(ExampleShapes, CubeFacesHaveOneColourEachAndSphereCornersLieOnItsSurface)
{
    Collect cube, sphere;
    test::ScriptedRuntime runtime;
    std::int16_t cursor = 0;
    loadtri((kExamples / "cube.tri").string(), 12, cursor, cube, runtime);
    std::set<std::int32_t> colours;
    for (const TriangleRecord& t : cube.triangles)
        colours.insert(t.packedColour);
    EXPECT_EQ(colours.size(), 6u);

    cursor = 0;
    loadtri((kExamples / "sphere.tri").string(), 10920, cursor, sphere, runtime);
    for (const TriangleRecord& t : sphere.triangles)
        for (const Corner& c : t.corners)
            ASSERT_NEAR(std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z), 200.0f, 0.02f);
}

TEST(ExampleGenerator, WritesTheCommittedFiles)
{
    const test::TempDir dir;
    const std::string command
        = std::string(TRIVIEW_GENERATOR) + " " + dir.path().string() + " >/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const char* file : { "cube.tri", "sphere.tri", "terrain.tri" })
        EXPECT_TRUE(slurp(dir.path() / file) == slurp(kExamples / file))
            << file << " differs from what the generator writes; run `make examples`";
}

} // namespace
} // namespace triview
