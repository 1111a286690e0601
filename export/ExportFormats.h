// The formats a model can be written in, and their encoders.
#pragma once

#include "model/Model.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace triview {

enum class ExportFormat { Glb, Gltf, Ply, PlyAscii, Obj, Stl, ThreeMf, Fbx };

struct ExportFormatInfo
{
    ExportFormat format;
    std::string_view name; // as --format takes it
    std::string_view extension; // the one an output's name gives it by, or ""
    bool text; // fit to show on a terminal
};

std::span<const ExportFormatInfo> exportFormats();
const ExportFormatInfo& exportFormatInfo(ExportFormat format);

// The format named, as --format names it or as an output's extension does
// (either case).
std::optional<ExportFormat> exportFormatNamed(std::string_view name);
std::optional<ExportFormat> exportFormatOfExtension(std::string_view extension);

// The names, for a usage message: "glb, gltf, ...".
std::string exportFormatNames();

// The file's bytes for model in format. Raises 7 when memory runs out.
std::string encodeModel(const Model& model, ExportFormat format);

// The encoders, one a format family.
std::string gltfFile(const Model& model, bool binary);
std::string plyFile(const Model& model, bool binary);
std::string objFile(const Model& model);
std::string stlFile(const Model& model);
std::string threeMfFile(const Model& model);
std::string fbxFile(const Model& model);

} // namespace triview
