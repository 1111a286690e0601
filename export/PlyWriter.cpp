// PLY, binary little-endian or ASCII: shared vertices with float x, y, z and
// the drawn colour's bytes as uchar red, green, blue; z up, as scanners and
// Blender take it; no unit (one tri unit is one unit).
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"

namespace triview {

std::string plyFile(const Model& model, bool binary)
{
    const IndexedMesh mesh = sharedByPositionAndColour(model, UpAxis::Z);
    std::string out = "ply\nformat ";
    out += binary ? "binary_little_endian" : "ascii";
    out += " 1.0\ncomment written by triview " TRIVIEW_VERSION "\nelement vertex ";
    appendNumber(out, std::uint64_t { mesh.positions.size() });
    out += "\nproperty float x\nproperty float y\nproperty float z\n"
           "property uchar red\nproperty uchar green\nproperty uchar blue\nelement face ";
    appendNumber(out, std::uint64_t { mesh.triangles.size() });
    out += "\nproperty list uchar uint vertex_indices\nend_header\n";

    out.reserve(out.size() + mesh.positions.size() * (binary ? 15 : 48)
        + mesh.triangles.size() * (binary ? 13 : 24));
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
        const Position& p = mesh.positions[v];
        const Rgb c = mesh.colours[v];
        if (binary) {
            for (const float coordinate : p)
                appendLittleEndian(out, coordinate);
            out += char(c.red);
            out += char(c.green);
            out += char(c.blue);
        } else {
            for (const float coordinate : p) {
                appendNumber(out, coordinate);
                out += ' ';
            }
            appendNumber(out, std::uint64_t { c.red });
            out += ' ';
            appendNumber(out, std::uint64_t { c.green });
            out += ' ';
            appendNumber(out, std::uint64_t { c.blue });
            out += '\n';
        }
    }
    for (const auto& triangle : mesh.triangles) {
        if (binary) {
            out += char(3);
            for (const std::uint32_t index : triangle)
                appendLittleEndian(out, index);
        } else {
            out += '3';
            for (const std::uint32_t index : triangle) {
                out += ' ';
                appendNumber(out, std::uint64_t { index });
            }
            out += '\n';
        }
    }
    return out;
}

} // namespace triview
