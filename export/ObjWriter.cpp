// Wavefront OBJ, one file with no material library: shared vertices as
// "v x y z r g b", the drawn colour as numbers 0 to 1 (the vertex-colour
// extension Blender, MeshLab and others read), y up, faces 1-based; no unit.
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"

#include <array>

namespace triview {

std::string objFile(const Model& model)
{
    const IndexedMesh mesh = sharedByPositionAndColour(model, UpAxis::Y);
    // Each byte's fraction in the fewest digits that give the byte back.
    std::array<std::string, 256> fractions;
    for (std::size_t i = 0; i < fractions.size(); ++i)
        appendNumber(fractions[i], float(i) / 255.0f);

    std::string out = "# written by triview " TRIVIEW_VERSION "\no ";
    out += modelName(model);
    out += '\n';
    out.reserve(out.size() + mesh.positions.size() * 56 + mesh.triangles.size() * 24);
    for (std::size_t v = 0; v < mesh.positions.size(); ++v) {
        out += 'v';
        for (const float coordinate : mesh.positions[v]) {
            out += ' ';
            appendNumber(out, coordinate);
        }
        const Rgb c = mesh.colours[v];
        for (const std::uint8_t byte : { c.red, c.green, c.blue })
            out.append(" ").append(fractions[byte]);
        out += '\n';
    }
    for (const auto& triangle : mesh.triangles) {
        out += 'f';
        for (const std::uint32_t index : triangle) {
            out += ' ';
            appendNumber(out, std::uint64_t { index } + 1);
        }
        out += '\n';
    }
    return out;
}

} // namespace triview
