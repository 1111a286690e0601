// A generated tri file of 10922 triangles (the most that load) for the
// benchmarks, and the baseline they are measured against: parsing the same
// numbers with std::from_chars and nothing else.
#pragma once

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace triview::bench {

inline constexpr int kTriangles = 10922;

// Records of a coloured surface: whole colour components, coordinates with
// six significant digits, CR LF line ends.
inline std::string generatedModelText(int triangles = kTriangles)
{
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> coordinate(-300.0f, 300.0f);
    std::uniform_int_distribution<int> component(0, 255);
    std::string text;
    char line[128];
    for (int k = 0; k < triangles; ++k) {
        text += "Triangle\r\n";
        std::snprintf(line, sizeof line, "%d,%d,%d,0,0,0\r\n", component(random), component(random),
                      component(random));
        text += line;
        for (int corner = 0; corner < 3; ++corner) {
            std::snprintf(line, sizeof line, "%.6g,%.6g,%.6g,0,0,0\r\n", coordinate(random),
                          coordinate(random), coordinate(random));
            text += line;
        }
    }
    return text;
}

// The file written once per process into the temporary folder.
inline const std::string& generatedModelFile()
{
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "triview-bench-10922.tri";
        std::ofstream(file, std::ios::binary) << generatedModelText();
        return file.string();
    }();
    return path;
}

// The bare parse: every number of every record through std::from_chars,
// header lines skipped. Answers a sum so that nothing is optimised away.
inline float bareParse(const std::string& text)
{
    float sum = 0.0f;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        if (*p == 'T') { // a header line
            while (p != end && *p != '\n')
                ++p;
            continue;
        }
        if (*p == ',' || *p == ' ' || *p == '\r' || *p == '\n') {
            ++p;
            continue;
        }
        float value = 0.0f;
        p = std::from_chars(p, end, value).ptr;
        sum += value;
    }
    return sum;
}

inline std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return { std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>() };
}

} // namespace triview::bench
