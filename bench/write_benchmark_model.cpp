// Writes the 10922-triangle benchmark model twice: as a tri file, and as a
// binary STL of the same triangles for viewers that read STL (f3d); and,
// given more names, the two models made to be slow to draw, stacked and
// crossing (GeneratedModel.h).
// usage: write_benchmark_model OUT.tri OUT.stl [STACKED.tri CROSSING.tri]
#include "GeneratedModel.h"
#include "RecordingSink.h"
#include "model/TriReader.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

namespace {

template <typename T> void put(std::ofstream& out, T value)
{
    out.write(reinterpret_cast<const char*>(&value), sizeof value);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 5) {
        std::fprintf(
            stderr, "usage: write_benchmark_model OUT.tri OUT.stl [STACKED.tri CROSSING.tri]\n");
        return 2;
    }
    if (argc == 5) {
        std::ofstream(argv[3], std::ios::binary) << triview::bench::slowModelText(false);
        std::ofstream(argv[4], std::ios::binary) << triview::bench::slowModelText(true);
    }
    std::ofstream(argv[1], std::ios::binary) << triview::bench::generatedModelText();
    // Read back through the reader: the STL holds exactly what triview draws.
    triview::test::RecordingSink triangles;
    std::int16_t cursor = 0;
    triview::loadtri(argv[1], triview::counttri(argv[1]), cursor, triangles);
    std::ofstream stl(argv[2], std::ios::binary);
    const char header[80] = "triview benchmark model";
    stl.write(header, sizeof header);
    put(stl, static_cast<std::uint32_t>(triangles.calls.size()));
    for (const auto& [t, at] : triangles.calls) {
        for (int i = 0; i < 3; ++i)
            put(stl, 0.0f); // no normal: readers work it out
        for (const triview::Corner& c : t.corners) {
            put(stl, c.x);
            put(stl, c.y);
            put(stl, c.z);
        }
        put(stl, std::uint16_t { 0 });
    }
    return 0;
}
