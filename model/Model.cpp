#include "model/Model.h"

#include "model/DemoModel.h"
#include "model/TriReader.h"

#include <array>

namespace triview {

namespace {

// Keeps each record as the vertices a device stores; the colour is turned
// here, so that one out of range raises at its record.
class ModelSink final : public TriangleSink
{
public:
    ModelSink(Model& model, const FirstTriangle& firstTriangle)
        : m_model(model)
        , m_firstTriangle(firstTriangle)
    { }

    VbBoolean InitGeometry(const TriangleRecord& triangle) override
    {
        const std::array<TriVertex, 3> vertices = triangleVertices(triangle);
        if (m_firstTriangle && !m_firstTriangle(vertices))
            return vbFalse;
        m_model.vertices.reserve(3 * std::size_t(m_model.TriangleCount));
        m_model.vertices.insert(m_model.vertices.end(), vertices.begin(), vertices.end());
        return vbTrue;
    }
    VbBoolean InitGeometry2(const TriangleRecord& triangle, std::int16_t /*VertexCursor*/) override
    {
        // The reader hands records over in order, each at the cursor's end.
        const std::array<TriVertex, 3> vertices = triangleVertices(triangle);
        m_model.vertices.insert(m_model.vertices.end(), vertices.begin(), vertices.end());
        return vbTrue;
    }

private:
    static std::array<TriVertex, 3> triangleVertices(const TriangleRecord& triangle)
    {
        const std::uint32_t colour = storedColour(triangle.packedColour);
        std::array<TriVertex, 3> vertices;
        for (std::size_t i = 0; i < vertices.size(); ++i) {
            const Corner& corner = triangle.corners[i];
            vertices[i] = { corner.x, corner.y, corner.z, colour };
        }
        return vertices;
    }

    Model& m_model;
    const FirstTriangle& m_firstTriangle;
};

} // namespace

Model demonstration()
{
    return { std::nullopt, kDemonstrationTriangles,
        std::vector<TriVertex>(demonstrationModel.begin(), demonstrationModel.end()) };
}

std::optional<Model> readModel(const std::string& ModelFileName, std::int16_t TriangleCount,
    const FirstTriangle& firstTriangle)
{
    Model model { ModelFileName, TriangleCount, {} };
    ModelSink sink(model, firstTriangle);
    std::int16_t VertexCursor = 0;
    if (loadtri(ModelFileName, TriangleCount, VertexCursor, sink) == vbFalse)
        return std::nullopt;
    return model;
}

} // namespace triview
