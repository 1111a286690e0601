// A model as plain data: what a tri file holds, or the demonstration model,
// with no device. Triangle k is vertices 3k to 3k+2, each with the colour the
// device stores for its record.
#pragma once

#include "model/TriVertex.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace triview {

struct Model
{
    std::optional<std::string> file; // none: the demonstration model
    std::int16_t TriangleCount = 0; // as counted: what a vertex buffer for it holds
    std::vector<TriVertex> vertices; // the triangles read, in the file's order

    // The vertices read, as loadtri counts them.
    std::int16_t VertexCursor() const { return static_cast<std::int16_t>(vertices.size()); }
};

// The demonstration model: three triangles, no file.
Model demonstration();

// Told of the first triangle as soon as it is read, before any other;
// answering false stops the reading.
using FirstTriangle = std::function<bool(std::span<const TriVertex, 3>)>;

// Reads ModelFileName as loadtri does, into a model of TriangleCount
// triangles (as counttri counted them), with loadtri's errors, files and
// lines. Answers none when firstTriangle answered false.
std::optional<Model> readModel(const std::string& ModelFileName, std::int16_t TriangleCount,
    const FirstTriangle& firstTriangle = {});

} // namespace triview
