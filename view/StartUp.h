// The part of start-up that the window, --render, a dropped file and a
// followed one share: the device on the picture, then the model loaded into
// a vertex buffer of its own. One sequence for all, so that a written
// picture is the window's frame and every reading rule is the same.
#pragma once

#include "view/DeviceSetup.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace triview {

class RuntimeServices;

// What start-up shows when no device, or no vertex buffer, can be made.
inline constexpr const char* kNoDevice = "不能建立D3D Device";
inline constexpr const char* kNoVertexBuffer = "不能建立D3D VertexBuffer";

// A model as loaded: its file (none for the demonstration model), its
// counts and the buffer holding it, one value that is put on screen whole.
struct LoadedModel
{
    std::optional<std::string> file;
    std::int16_t TriangleCount = 0;
    std::int16_t VertexCursor = 0; // the vertices loaded
    std::shared_ptr<Direct3DVertexBuffer8> VertexBuffer; // null: creation gave none
};

// Loads modelFile's TriangleCount triangles (counted by counttri), or the
// demonstration model when it is null, into a fresh buffer of d3d's device;
// d3d.VertexBuffer is not touched. Raises the file's errors, the device's,
// and 91 without a device.
LoadedModel loadModel(
    Direct3DObjects& d3d, const std::string* modelFile, std::int16_t TriangleCount);

// Makes the device for target, then loads the model as loadModel does,
// setting VertexCursor to the vertices loaded. A device or a buffer that
// cannot be made is shown and ends the program with status 1; the file's
// errors are raised. The back buffer's format and the device's type are
// InitD3D's.
LoadedModel makeDeviceAndModel(Direct3DObjects& d3d, PresentTarget* target,
    const RootFactory& newRoot, const std::string* modelFile, std::int16_t TriangleCount,
    std::int16_t& VertexCursor, RuntimeServices& runtime,
    std::uint32_t backBufferFormat = D3DFMT_UNKNOWN, std::uint32_t deviceType = D3DDEVTYPE_HAL);

} // namespace triview
