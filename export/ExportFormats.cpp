#include "export/ExportFormats.h"

#include <algorithm>
#include <array>

namespace triview {

namespace {

constexpr std::array<ExportFormatInfo, 8> kFormats { {
    { ExportFormat::Glb, "glb", "glb", false },
    { ExportFormat::Gltf, "gltf", "gltf", true },
    { ExportFormat::Ply, "ply", "ply", false },
    { ExportFormat::PlyAscii, "ply-ascii", "", true },
    { ExportFormat::Obj, "obj", "obj", true },
    { ExportFormat::Stl, "stl", "stl", false },
    { ExportFormat::ThreeMf, "3mf", "3mf", false },
    { ExportFormat::Fbx, "fbx", "fbx", false },
} };

bool sameIgnoringCase(std::string_view a, std::string_view b)
{
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return lower(x) == lower(y); });
}

} // namespace

std::span<const ExportFormatInfo> exportFormats()
{
    return kFormats;
}

const ExportFormatInfo& exportFormatInfo(ExportFormat format)
{
    return kFormats[static_cast<std::size_t>(format)];
}

std::optional<ExportFormat> exportFormatNamed(std::string_view name)
{
    for (const ExportFormatInfo& info : kFormats)
        if (sameIgnoringCase(info.name, name))
            return info.format;
    return std::nullopt;
}

std::optional<ExportFormat> exportFormatOfExtension(std::string_view extension)
{
    for (const ExportFormatInfo& info : kFormats)
        if (!info.extension.empty() && sameIgnoringCase(info.extension, extension))
            return info.format;
    return std::nullopt;
}

std::string exportFormatNames()
{
    std::string names;
    for (const ExportFormatInfo& info : kFormats)
        names.append(names.empty() ? "" : ", ").append(info.name);
    return names;
}

std::string encodeModel(const Model& model, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Glb:
        return gltfFile(model, true);
    case ExportFormat::Gltf:
        return gltfFile(model, false);
    case ExportFormat::Ply:
        return plyFile(model, true);
    case ExportFormat::PlyAscii:
        return plyFile(model, false);
    case ExportFormat::Obj:
        return objFile(model);
    case ExportFormat::Stl:
        return stlFile(model);
    case ExportFormat::ThreeMf:
        return threeMfFile(model);
    case ExportFormat::Fbx:
        return fbxFile(model);
    }
    return {};
}

} // namespace triview
