// 3MF: one object whose vertices are shared by position, so that a closed
// model reads as closed, each triangle's corners coloured through one colour
// group (the materials extension), as slicers expect; in millimetres (one
// tri unit is one millimetre), z up as on a printer's bed. Triangles with
// two corners on one vertex, which 3MF forbids, are left out.
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"
#include "export/ZipArchive.h"

namespace triview {

namespace {

constexpr std::string_view kContentTypes
    = R"(<?xml version="1.0" encoding="UTF-8"?>)"
      "\n"
      R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">)"
      R"(<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>)"
      R"(<Default Extension="model" ContentType="application/vnd.ms-package.3dmanufacturing-3dmodel+xml"/>)"
      "</Types>\n";

constexpr std::string_view kRelationships
    = R"(<?xml version="1.0" encoding="UTF-8"?>)"
      "\n"
      R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">)"
      R"(<Relationship Target="/3D/3dmodel.model" Id="rel0" )"
      R"(Type="http://schemas.microsoft.com/3dmanufacturing/2013/01/3dmodel"/>)"
      "</Relationships>\n";

void appendXmlText(std::string& out, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c; // shownSafely left no control character
        }
    }
}

void appendHexByte(std::string& out, std::uint8_t byte)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
}

std::string modelPart(const Model& model)
{
    const IndexedMesh mesh = sharedByPosition(model, UpAxis::Z);
    std::string out = R"(<?xml version="1.0" encoding="UTF-8"?>)"
                      "\n"
                      R"(<model unit="millimeter" xml:lang="en-US" )"
                      R"(xmlns="http://schemas.microsoft.com/3dmanufacturing/core/2015/02" )"
                      R"(xmlns:m="http://schemas.microsoft.com/3dmanufacturing/material/2015/02">)"
                      "\n"
                      R"(<metadata name="Application">triview )" TRIVIEW_VERSION
                      "</metadata>\n<metadata name=\"Title\">";
    appendXmlText(out, modelName(model));
    out += "</metadata>\n<resources>\n<m:colorgroup id=\"1\">\n";
    for (const Rgb& colour : mesh.colours) {
        out += "<m:color color=\"#";
        appendHexByte(out, colour.red);
        appendHexByte(out, colour.green);
        appendHexByte(out, colour.blue);
        // Opaque, said outright: Assimp's reader takes a missing alpha for 0.
        out += "FF\"/>\n";
    }
    out += "</m:colorgroup>\n<object id=\"2\" type=\"model\" pid=\"1\" pindex=\"0\" name=\"";
    appendXmlText(out, modelName(model));
    out += "\">\n<mesh>\n<vertices>\n";
    out.reserve(out.size() + mesh.positions.size() * 48 + mesh.triangles.size() * 56);
    for (const Position& p : mesh.positions) {
        out += "<vertex x=\"";
        appendNumber(out, p[0]);
        out += "\" y=\"";
        appendNumber(out, p[1]);
        out += "\" z=\"";
        appendNumber(out, p[2]);
        out += "\"/>\n";
    }
    out += "</vertices>\n<triangles>\n";
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        const auto& v = mesh.triangles[t];
        const auto& p = mesh.cornerColours[t];
        out += "<triangle v1=\"";
        appendNumber(out, std::uint64_t { v[0] });
        out += "\" v2=\"";
        appendNumber(out, std::uint64_t { v[1] });
        out += "\" v3=\"";
        appendNumber(out, std::uint64_t { v[2] });
        out += "\" pid=\"1\" p1=\"";
        appendNumber(out, std::uint64_t { p[0] });
        // A triangle of one colour names it once.
        if (p[1] != p[0] || p[2] != p[0]) {
            out += "\" p2=\"";
            appendNumber(out, std::uint64_t { p[1] });
            out += "\" p3=\"";
            appendNumber(out, std::uint64_t { p[2] });
        }
        out += "\"/>\n";
    }
    out += "</triangles>\n</mesh>\n</object>\n</resources>\n"
           "<build>\n<item objectid=\"2\"/>\n</build>\n</model>\n";
    return out;
}

} // namespace

std::string threeMfFile(const Model& model)
{
    ZipArchive package;
    package.add("[Content_Types].xml", kContentTypes);
    package.add("_rels/.rels", kRelationships);
    package.add("3D/3dmodel.model", modelPart(model));
    return package.finish();
}

} // namespace triview
