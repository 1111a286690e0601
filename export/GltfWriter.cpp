// glTF 2.0, binary (.glb) or JSON with the buffer inside as base64 (.gltf):
// one mesh of indexed triangles, y up, in metres (one tri unit is one
// metre), colours as linear COLOR_0, drawn unlit on both faces as triview
// draws them.
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"

#include <array>
#include <cmath>
#include <limits>

namespace triview {

namespace {

// glTF's colours are linear; triview's frame shows the bytes as sRGB.
const std::array<float, 256>& linearOfSrgb()
{
    static const std::array<float, 256> table = [] {
        std::array<float, 256> linear {};
        for (std::size_t i = 0; i < linear.size(); ++i) {
            const double c = double(i) / 255.0;
            linear[i] = float(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        return linear;
    }();
    return table;
}

void appendJsonString(std::string& out, std::string_view text)
{
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        out += c; // shownSafely left no control character
    }
    out += '"';
}

// The exact value of a float as a double's shortest text: a validator
// compares the accessor's bounds with the data as doubles.
void appendBound(std::string& out, const char* key, const std::array<float, 3>& bound)
{
    out.append(",\"").append(key).append("\":[");
    for (std::size_t i = 0; i < 3; ++i) {
        if (i)
            out += ',';
        appendNumber(out, double(bound[i]));
    }
    out += ']';
}

std::string base64(std::string_view bytes)
{
    static constexpr char kDigits[]
        = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const std::uint32_t n = std::uint32_t(std::uint8_t(bytes[i])) << 16
            | std::uint32_t(std::uint8_t(bytes[i + 1])) << 8 | std::uint8_t(bytes[i + 2]);
        out += kDigits[n >> 18];
        out += kDigits[(n >> 12) & 63];
        out += kDigits[(n >> 6) & 63];
        out += kDigits[n & 63];
    }
    if (const std::size_t rest = bytes.size() - i; rest > 0) {
        std::uint32_t n = std::uint32_t(std::uint8_t(bytes[i])) << 16;
        if (rest == 2)
            n |= std::uint32_t(std::uint8_t(bytes[i + 1])) << 8;
        out += kDigits[n >> 18];
        out += kDigits[(n >> 12) & 63];
        out += rest == 2 ? kDigits[(n >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

void padTo4(std::string& out, char with)
{
    out.append((4 - out.size() % 4) % 4, with);
}

} // namespace

std::string gltfFile(const Model& model, bool binary)
{
    const IndexedMesh mesh = sharedByPositionAndColour(model, UpAxis::Y);
    const std::size_t vertices = mesh.positions.size();
    const bool shortIndices = vertices <= std::numeric_limits<std::uint16_t>::max();

    // The buffer: positions, colours, indices, each starting on 4 bytes.
    std::string buffer;
    std::array<float, 3> low { std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
        std::numeric_limits<float>::max() };
    std::array<float, 3> high { -low[0], -low[1], -low[2] };
    for (const Position& p : mesh.positions)
        for (std::size_t i = 0; i < 3; ++i) {
            appendLittleEndian(buffer, p[i]);
            low[i] = std::min(low[i], p[i]);
            high[i] = std::max(high[i], p[i]);
        }
    const std::size_t coloursAt = buffer.size();
    const auto& linear = linearOfSrgb();
    for (const Rgb& c : mesh.colours) {
        appendLittleEndian(buffer, linear[c.red]);
        appendLittleEndian(buffer, linear[c.green]);
        appendLittleEndian(buffer, linear[c.blue]);
    }
    const std::size_t indicesAt = buffer.size();
    for (const auto& triangle : mesh.triangles)
        for (const std::uint32_t index : triangle) {
            if (shortIndices)
                appendLittleEndian(buffer, std::uint16_t(index));
            else
                appendLittleEndian(buffer, index);
        }
    const std::size_t indicesEnd = buffer.size();
    padTo4(buffer, '\0');

    std::string json = R"({"asset":{"version":"2.0","generator":"triview )" TRIVIEW_VERSION
                       R"("},"scene":0,"scenes":[{)";
    const auto number = [&json](std::uint64_t n) { appendNumber(json, n); };
    if (mesh.triangles.empty()) {
        json += "}]}"; // a scene with nothing in it: a glTF buffer cannot be empty
    } else {
        json += R"("nodes":[0]}],"nodes":[{"mesh":0,"name":)";
        appendJsonString(json, modelName(model));
        json += R"(}],"meshes":[{"name":)";
        appendJsonString(json, modelName(model));
        json += R"(,"primitives":[{"attributes":{"POSITION":0,"COLOR_0":1},"indices":2,)"
                R"("material":0,"mode":4}]}],)"
                R"("materials":[{"name":"vertex colours","pbrMetallicRoughness":)"
                R"({"metallicFactor":0,"roughnessFactor":1},"doubleSided":true,)"
                R"("extensions":{"KHR_materials_unlit":{}}}],)"
                R"("extensionsUsed":["KHR_materials_unlit"],"buffers":[{"byteLength":)";
        number(buffer.size());
        if (!binary)
            json.append(R"(,"uri":"data:application/octet-stream;base64,)")
                .append(base64(buffer))
                .append("\"");
        json += R"(}],"bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":)";
        number(coloursAt);
        json += R"(,"target":34962},{"buffer":0,"byteOffset":)";
        number(coloursAt);
        json += R"(,"byteLength":)";
        number(indicesAt - coloursAt);
        json += R"(,"target":34962},{"buffer":0,"byteOffset":)";
        number(indicesAt);
        json += R"(,"byteLength":)";
        number(indicesEnd - indicesAt);
        json += R"(,"target":34963}],"accessors":[{"bufferView":0,"componentType":5126,"count":)";
        number(vertices);
        json += R"(,"type":"VEC3")";
        appendBound(json, "min", low);
        appendBound(json, "max", high);
        json += R"(},{"bufferView":1,"componentType":5126,"count":)";
        number(vertices);
        json += R"(,"type":"VEC3"},{"bufferView":2,"componentType":)";
        number(shortIndices ? 5123 : 5125);
        json += R"(,"count":)";
        number(3 * mesh.triangles.size());
        json += R"(,"type":"SCALAR"}]})";
    }
    if (!binary)
        return json + "\n";

    padTo4(json, ' ');
    std::string glb;
    const bool withBuffer = !mesh.triangles.empty();
    const std::size_t length = 12 + 8 + json.size() + (withBuffer ? 8 + buffer.size() : 0);
    glb.reserve(length);
    glb += "glTF";
    appendLittleEndian(glb, std::uint32_t { 2 });
    appendLittleEndian(glb, std::uint32_t(length));
    appendLittleEndian(glb, std::uint32_t(json.size()));
    glb += "JSON";
    glb += json;
    if (withBuffer) {
        appendLittleEndian(glb, std::uint32_t(buffer.size()));
        glb.append("BIN\0", 4);
        glb += buffer;
    }
    return glb;
}

} // namespace triview
