// Writes the example tri models: a cube with coloured faces, a sphere near
// the 10922-triangle limit coloured by height, and a terrain patch. Each
// record is a "Triangle" line, the colour group and three corners, with
// CR LF line ends.
//
// usage: generate_examples OUTPUT_FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

struct Point
{
    double x, y, z;
};

struct Colour
{
    int red, green, blue;
};

class TriFile
{
public:
    void add(const Point& a, const Point& b, const Point& c, Colour colour)
    {
        char line[160];
        std::snprintf(line, sizeof line, "Triangle\r\n%d,%d,%d,0,0,0\r\n", colour.red, colour.green,
            colour.blue);
        m_text += line;
        for (const Point& p : { a, b, c }) {
            std::snprintf(line, sizeof line, "%.2f,%.2f,%.2f,0,0,0\r\n", p.x, p.y, p.z);
            m_text += line;
        }
        ++m_triangles;
    }
    int triangles() const { return m_triangles; }
    void write(const std::filesystem::path& path) const
    {
        std::ofstream(path, std::ios::binary) << m_text;
        std::cout << path.string() << ": " << m_triangles << " triangles\n";
    }

private:
    std::string m_text;
    int m_triangles = 0;
};

// Blue at the bottom through green to red at the top; t from 0 to 1.
Colour heightColour(double t)
{
    t = std::clamp(t, 0.0, 1.0);
    if (t < 0.5)
        return { 0, int(std::lround(510 * t)), int(std::lround(255 * (1 - 2 * t))) };
    return { int(std::lround(510 * (t - 0.5))), int(std::lround(255 * (2 - 2 * t))), 0 };
}

TriFile cube()
{
    constexpr double s = 100;
    const Point corner[8] = { { -s, -s, -s }, { s, -s, -s }, { s, s, -s }, { -s, s, -s },
        { -s, -s, s }, { s, -s, s }, { s, s, s }, { -s, s, s } };
    // Each face's corners in order around it, with its colour.
    const struct
    {
        int a, b, c, d;
        Colour colour;
    } faces[6] = {
        { 0, 3, 2, 1, { 255, 0, 0 } },
        { 4, 5, 6, 7, { 0, 255, 0 } },
        { 0, 1, 5, 4, { 0, 0, 255 } },
        { 3, 7, 6, 2, { 255, 255, 0 } },
        { 0, 4, 7, 3, { 255, 0, 255 } },
        { 1, 2, 6, 5, { 0, 255, 255 } },
    };
    TriFile file;
    for (const auto& f : faces) {
        file.add(corner[f.a], corner[f.b], corner[f.c], f.colour);
        file.add(corner[f.a], corner[f.c], corner[f.d], f.colour);
    }
    return file;
}

// 91 slices and 61 stacks: 10920 triangles, two short of the limit.
TriFile sphere()
{
    constexpr int slices = 91, stacks = 61;
    constexpr double radius = 200, pi = 3.14159265358979323846;
    const auto at = [&](int stack, int slice) {
        const double polar = pi * stack / stacks, azimuth = 2 * pi * slice / slices;
        return Point { radius * std::sin(polar) * std::cos(azimuth), radius * std::cos(polar),
            radius * std::sin(polar) * std::sin(azimuth) };
    };
    TriFile file;
    for (int stack = 0; stack < stacks; ++stack) {
        for (int slice = 0; slice < slices; ++slice) {
            const Point a = at(stack, slice), b = at(stack, slice + 1);
            const Point c = at(stack + 1, slice), d = at(stack + 1, slice + 1);
            const Colour colour = heightColour(1.0 - (stack + 0.5) / stacks);
            if (stack != 0)
                file.add(a, b, d, colour);
            if (stack != stacks - 1)
                file.add(a, d, c, colour);
        }
    }
    return file;
}

// A 48 x 48 patch of hills, two triangles per square, coloured by height
// from green valleys to white tops.
TriFile terrain()
{
    constexpr int n = 48;
    constexpr double size = 400;
    const auto height = [](double x, double z) {
        return 45 * std::sin(x / 55) * std::cos(z / 70) + 25 * std::sin((x + z) / 33)
            + 10 * std::cos(x / 17 - z / 23);
    };
    const auto at = [&](int i, int j) {
        const double x = -size / 2 + size * i / n, z = -size / 2 + size * j / n;
        return Point { x, height(x, z), z };
    };
    const auto colour = [](double y) {
        const double t = std::clamp((y + 80) / 160, 0.0, 1.0);
        if (t < 0.55)
            return Colour { int(40 + 100 * t), int(110 + 160 * t), 40 };
        if (t < 0.8)
            return Colour { 140, int(200 - 150 * (t - 0.55)), 60 };
        return Colour { 255, 255, 255 };
    };
    TriFile file;
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            const Point a = at(i, j), b = at(i + 1, j), c = at(i, j + 1), d = at(i + 1, j + 1);
            file.add(a, b, d, colour((a.y + b.y + d.y) / 3));
            file.add(a, d, c, colour((a.y + d.y + c.y) / 3));
        }
    }
    return file;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: generate_examples OUTPUT_FOLDER\n";
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    cube().write(folder / "cube.tri");
    sphere().write(folder / "sphere.tri");
    terrain().write(folder / "terrain.tri");
}
