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

// Models made to be slow to draw: 10922 triangles across the line of sight
// of the window's start pose, each covering most of the picture. Stacked:
// written back to front, each nearer than the last, so that drawn in file
// order every pixel is drawn again by every triangle. Crossing: each also
// tilted, less the later it comes, so that the order of their nearest
// corners is the reverse of the order of their middles, and where they
// cross no one order of the whole triangles is nearest first.
inline std::string slowModelText(bool crossing)
{
    // The view's direction, and two across it.
    const double d[3] = { -80 / 87.749, -30 / 87.749, 20 / 87.749 };
    const double u[3] = { 30 / 85.44, -80 / 85.44, 0 };
    const double v[3]
        = { d[1] * u[2] - d[2] * u[1], d[2] * u[0] - d[0] * u[2], d[0] * u[1] - d[1] * u[0] };
    constexpr double radius = 640, tilt = 0.5;
    std::string text;
    char line[96];
    for (int i = 0; i < kTriangles; ++i) {
        const double share = double(i) / kTriangles;
        const double along
            = crossing ? -i * tilt * radius / 1.6 / (2 * kTriangles) : 300 - 600 * share;
        const double slope = crossing ? tilt * (1 - share) : 0;
        std::snprintf(line, sizeof line, "Triangle\r\n%d,%d,%d,0,0,0\r\n", i % 256, i * 7 % 256,
            255 - i % 256);
        text += line;
        for (int k = 0; k < 3; ++k) {
            const double angle = 2 * 3.14159265358979 * k / 3 + 0.3;
            const double across = radius * std::cos(angle), up = radius * std::sin(angle);
            const double depth = along + slope * across;
            std::snprintf(line, sizeof line, "%.9g,%.9g,%.9g,0,0,0\r\n",
                160 + d[0] * depth + across * u[0] + up * v[0],
                d[1] * depth + across * u[1] + up * v[1], d[2] * depth + across * u[2] + up * v[2]);
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
