// A generated tri file of 10922 triangles (the most that load) for the
// benchmarks, and the baseline they are measured against: parsing the same
// numbers with std::from_chars and nothing else.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace triview::bench {

inline constexpr int kTriangles = 10922;

// A terrain patch of 43 x 127 quads, two triangles each: exactly 10922
// triangles of a connected surface, as a real model has them (random
// triangles would each cover much of the picture). Each triangle is
// coloured by its height; six significant digits, CR LF line ends.
inline std::string generatedModelText()
{
    constexpr int columns = 43, rows = 127;
    static_assert(2 * columns * rows == kTriangles);
    std::mt19937 random(12345);
    std::uniform_real_distribution<float> jitter(-4.0f, 4.0f);
    const auto height = [&](int i, int j) {
        const float x = float(i) / columns, z = float(j) / rows;
        return 60.0f * std::sin(6.0f * x) * std::cos(4.0f * z) + jitter(random);
    };
    std::vector<float> heights;
    for (int j = 0; j <= rows; ++j)
        for (int i = 0; i <= columns; ++i)
            heights.push_back(height(i, j));
    const auto corner = [&](int i, int j, char* out) {
        std::snprintf(out, 96, "%.6g,%.6g,%.6g,0,0,0\r\n", -300.0 + 600.0 * i / columns,
            double(heights[static_cast<std::size_t>(j * (columns + 1) + i)]),
            -300.0 + 600.0 * j / rows);
    };
    std::string text;
    char line[96];
    for (int j = 0; j < rows; ++j) {
        for (int i = 0; i < columns; ++i) {
            const int quad[2][3][2] = { { { i, j }, { i + 1, j }, { i, j + 1 } },
                { { i + 1, j }, { i + 1, j + 1 }, { i, j + 1 } } };
            for (const auto& triangle : quad) {
                const float mean = (heights[static_cast<std::size_t>(
                                        triangle[0][1] * (columns + 1) + triangle[0][0])]
                                       + 60.0f)
                    / 120.0f;
                std::snprintf(line, sizeof line, "Triangle\r\n%d,%d,%d,0,0,0\r\n",
                    int(255 * mean) & 255, 160, int(255 * (1 - mean)) & 255);
                text += line;
                for (const auto& c : triangle) {
                    corner(c[0], c[1], line);
                    text += line;
                }
            }
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
