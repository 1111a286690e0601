// Binary STL: every triangle with its normal, in millimetres (one tri unit is
// one millimetre), z up as on a printer's bed. STL has no colour.
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"

#include <cmath>

namespace triview {

namespace {

// The unit normal of the counter-clockwise face a, b, c; zero for a
// degenerate one, which is written as it is.
Position normal(const Position& a, const Position& b, const Position& c)
{
    const double u[3] = { double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2] };
    const double v[3] = { double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2] };
    const double n[3]
        = { u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0] };
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0) || !std::isfinite(length))
        return { 0.0f, 0.0f, 0.0f };
    return { float(n[0] / length), float(n[1] / length), float(n[2] / length) };
}

} // namespace

std::string stlFile(const Model& model)
{
    const std::size_t triangles = model.vertices.size() / 3;
    // A header that does not begin with "solid", which would say ASCII STL.
    std::string out = "triview " TRIVIEW_VERSION " binary STL, millimetres, no colour";
    out.resize(80, ' ');
    appendLittleEndian(out, std::uint32_t(triangles));
    out.reserve(out.size() + triangles * 50);
    for (std::size_t t = 0; t < triangles; ++t) {
        std::array<Position, 3> corners;
        for (std::size_t c = 0; c < 3; ++c)
            corners[c]
                = rightHanded(model.vertices[3 * t + std::size_t(kCornerOrder[c])], UpAxis::Z);
        for (const float n : normal(corners[0], corners[1], corners[2]))
            appendLittleEndian(out, n);
        for (const Position& corner : corners)
            for (const float coordinate : corner)
                appendLittleEndian(out, coordinate);
        appendLittleEndian(out, std::uint16_t { 0 });
    }
    return out;
}

} // namespace triview
