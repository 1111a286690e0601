// The part of start-up the window and --render share: the device on the
// picture, then the model in its vertex buffer. One sequence for both, so
// that a written picture is the window's frame.
#pragma once

#include "render/DeviceSetup.h"

#include <cstdint>
#include <string>

namespace triview {

class RuntimeServices;

// What start-up shows when no device, or no vertex buffer, can be made.
inline constexpr const char* kNoDevice = "不能建立D3D Device";
inline constexpr const char* kNoVertexBuffer = "不能建立D3D VertexBuffer";

// Makes the device for target, then fills its vertex buffer: with the
// TriangleCount triangles of modelFile, or, when it is null, with the
// demonstration model. A device or a buffer that cannot be made is shown
// and ends the program with status 1; the file's errors are raised. The
// back buffer's format and the device's type are InitD3D's.
void makeDeviceAndModel(Direct3DObjects& d3d, PresentTarget* target, const RootFactory& newRoot,
    const std::string* modelFile, std::int16_t TriangleCount, std::int16_t& VertexCursor,
    RuntimeServices& runtime, std::uint32_t backBufferFormat = D3DFMT_UNKNOWN,
    std::uint32_t deviceType = D3DDEVTYPE_HAL);

} // namespace triview
