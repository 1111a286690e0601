// Binary FBX 7.4: one mesh model with shared vertices (position and colour),
// its colours as a colour layer per polygon corner, y up, right-handed, in
// FBX's own centimetres (one tri unit is one centimetre).
#include "export/Encoding.h"
#include "export/ExportFormats.h"
#include "export/ExportMesh.h"

#include <bit>
#include <cstring>
#include <span>
#include <vector>

namespace triview {

namespace {

constexpr std::uint32_t kVersion = 7400;

// One node of the file's tree: a name, typed properties, nested nodes.
class FbxNode
{
public:
    explicit FbxNode(std::string_view name)
        : m_name(name)
    { }

    FbxNode& child(std::string_view name) { return m_children.emplace_back(name); }

    FbxNode& integer(std::int32_t value) { return scalar('I', value); }
    FbxNode& integer64(std::int64_t value) { return scalar('L', value); }
    FbxNode& number(double value) { return scalar('D', value); }
    FbxNode& boolean(bool value) { return scalar('C', std::uint8_t(value ? 1 : 0)); }
    FbxNode& string(std::string_view value)
    {
        m_properties += 'S';
        appendLittleEndian(m_properties, static_cast<std::uint32_t>(value.size()));
        m_properties += value;
        ++m_count;
        return *this;
    }
    // An array, stored as it is (encoding 0).
    template <typename T> FbxNode& array(char type, std::span<const T> values)
    {
        m_properties += type;
        appendLittleEndian(m_properties, static_cast<std::uint32_t>(values.size()));
        appendLittleEndian(m_properties, std::uint32_t { 0 });
        appendLittleEndian(m_properties, static_cast<std::uint32_t>(values.size_bytes()));
        static_assert(std::endian::native == std::endian::little, "FBX is little-endian");
        m_properties.append(reinterpret_cast<const char*>(values.data()), values.size_bytes());
        ++m_count;
        return *this;
    }

    // The bytes the node takes, about: for reserving.
    std::size_t size() const
    {
        std::size_t bytes = 13 + m_name.size() + m_properties.size() + 13;
        for (const FbxNode& node : m_children)
            bytes += node.size();
        return bytes;
    }

    // Appends the node to out, the file so far: its end offset counts from
    // the file's start.
    void write(std::string& out) const
    {
        const std::size_t start = out.size();
        appendLittleEndian(out, std::uint32_t { 0 }); // the end offset, known at the end
        appendLittleEndian(out, m_count);
        appendLittleEndian(out, static_cast<std::uint32_t>(m_properties.size()));
        out += static_cast<char>(m_name.size());
        out += m_name;
        out += m_properties;
        for (const FbxNode& node : m_children)
            node.write(out);
        // Nested nodes, or none and no property, end with a null record.
        if (!m_children.empty() || m_count == 0)
            out.append(13, '\0');
        const auto end = static_cast<std::uint32_t>(out.size());
        std::memcpy(out.data() + start, &end, sizeof end);
    }

private:
    template <typename T> FbxNode& scalar(char type, T value)
    {
        m_properties += type;
        appendLittleEndian(m_properties, value);
        ++m_count;
        return *this;
    }

    std::string m_name;
    std::string m_properties;
    std::uint32_t m_count = 0;
    std::vector<FbxNode> m_children;
};

// A property of a Properties70 list.
void property(FbxNode& list, std::string_view name, std::string_view type, std::int32_t value)
{
    list.child("P").string(name).string(type).string("Integer").string("").integer(value);
}

void property(FbxNode& list, std::string_view name, double value)
{
    list.child("P").string(name).string("double").string("Number").string("").number(value);
}

FbxNode header()
{
    FbxNode node("FBXHeaderExtension");
    node.child("FBXHeaderVersion").integer(1003);
    node.child("FBXVersion").integer(static_cast<std::int32_t>(kVersion));
    node.child("Creator").string("triview " TRIVIEW_VERSION);
    return node;
}

FbxNode globalSettings()
{
    FbxNode node("GlobalSettings");
    node.child("Version").integer(1000);
    FbxNode& list = node.child("Properties70");
    // Y up, Z towards the viewer, X to the right: right-handed.
    property(list, "UpAxis", "int", 1);
    property(list, "UpAxisSign", "int", 1);
    property(list, "FrontAxis", "int", 2);
    property(list, "FrontAxisSign", "int", 1);
    property(list, "CoordAxis", "int", 0);
    property(list, "CoordAxisSign", "int", 1);
    property(list, "OriginalUpAxis", "int", 1);
    property(list, "OriginalUpAxisSign", "int", 1);
    property(list, "UnitScaleFactor", 1.0);
    property(list, "OriginalUnitScaleFactor", 1.0);
    return node;
}

FbxNode definitions()
{
    FbxNode node("Definitions");
    node.child("Version").integer(100);
    node.child("Count").integer(3);
    for (const std::string_view type : { "GlobalSettings", "Model", "Geometry" })
        node.child("ObjectType").string(type).child("Count").integer(1);
    return node;
}

// The footer that FBX's own library writes after the last node.
void appendFooter(std::string& out)
{
    static constexpr unsigned char kFooterId[16] = { 0xF0, 0xB0, 0xA0, 0x00, 0xD0, 0xC0, 0xD0, 0x60,
        0xB0, 0x70, 0xF0, 0x80, 0x10, 0xF0, 0x20, 0x70 };
    static constexpr unsigned char kFooterEnd[16] = { 0xF8, 0x5A, 0x8C, 0x6A, 0xDE, 0xF5, 0xD9,
        0x7E, 0xEC, 0xE9, 0x0C, 0xE3, 0x75, 0x8F, 0x29, 0x0B };
    out.append(reinterpret_cast<const char*>(kFooterId), sizeof kFooterId);
    out.append((16 - out.size() % 16) % 16, '\0'); // the rest is 144 bytes: the file ends on 16
    out.append(4, '\0');
    appendLittleEndian(out, kVersion);
    out.append(120, '\0');
    out.append(reinterpret_cast<const char*>(kFooterEnd), sizeof kFooterEnd);
}

} // namespace

std::string fbxFile(const Model& model)
{
    const IndexedMesh mesh = sharedByPositionAndColour(model, UpAxis::Y);
    const std::string name = modelName(model);
    constexpr std::int64_t kGeometryId = 1000, kModelId = 2000;

    std::vector<double> positions;
    positions.reserve(3 * mesh.positions.size());
    for (const Position& p : mesh.positions)
        positions.insert(positions.end(), p.begin(), p.end());
    // A polygon's last corner is written as its index's complement.
    std::vector<std::int32_t> corners;
    corners.reserve(3 * mesh.triangles.size());
    for (const auto& triangle : mesh.triangles) {
        corners.push_back(static_cast<std::int32_t>(triangle[0]));
        corners.push_back(static_cast<std::int32_t>(triangle[1]));
        corners.push_back(~static_cast<std::int32_t>(triangle[2]));
    }
    std::vector<std::int32_t> colourIndices;
    colourIndices.reserve(corners.size());
    for (const auto& triangle : mesh.triangles)
        for (const std::uint32_t index : triangle)
            colourIndices.push_back(static_cast<std::int32_t>(index));
    std::vector<double> colours;
    colours.reserve(4 * mesh.colours.size());
    for (const Rgb& c : mesh.colours)
        colours.insert(colours.end(), { c.red / 255.0, c.green / 255.0, c.blue / 255.0, 1.0 });

    FbxNode objects("Objects");
    FbxNode& geometry = objects.child("Geometry")
                            .integer64(kGeometryId)
                            .string(name + std::string("\0\1Geometry", 10))
                            .string("Mesh");
    geometry.child("Vertices").array<double>('d', positions);
    geometry.child("PolygonVertexIndex").array<std::int32_t>('i', corners);
    geometry.child("GeometryVersion").integer(124);
    FbxNode& colourLayer = geometry.child("LayerElementColor").integer(0);
    colourLayer.child("Version").integer(101);
    colourLayer.child("Name").string("Col");
    colourLayer.child("MappingInformationType").string("ByPolygonVertex");
    colourLayer.child("ReferenceInformationType").string("IndexToDirect");
    colourLayer.child("Colors").array<double>('d', colours);
    colourLayer.child("ColorIndex").array<std::int32_t>('i', colourIndices);
    FbxNode& layer = geometry.child("Layer").integer(0);
    layer.child("Version").integer(100);
    FbxNode& element = layer.child("LayerElement");
    element.child("Type").string("LayerElementColor");
    element.child("TypedIndex").integer(0);

    FbxNode& node = objects.child("Model")
                        .integer64(kModelId)
                        .string(name + std::string("\0\1Model", 7))
                        .string("Mesh");
    node.child("Version").integer(232);
    node.child("Properties70");
    node.child("Shading").boolean(true);
    node.child("Culling").string("CullingOff"); // both faces, as triview draws them

    FbxNode connections("Connections");
    connections.child("C").string("OO").integer64(kGeometryId).integer64(kModelId);
    connections.child("C").string("OO").integer64(kModelId).integer64(0);

    std::string out("Kaydara FBX Binary  \0\x1A\0", 23);
    appendLittleEndian(out, kVersion);
    out.reserve(objects.size() + 4096);
    header().write(out);
    globalSettings().write(out);
    definitions().write(out);
    objects.write(out);
    connections.write(out);
    out.append(13, '\0');
    appendFooter(out);
    return out;
}

} // namespace triview
