// The published Direct3D 8 types, codes and constants that the program uses,
// with their published values.
#pragma once

#include <cstdint>

namespace triview {

using HRESULT = std::int32_t;
using D3DCOLOR = std::uint32_t; // 0xAARRGGBB

inline constexpr HRESULT D3D_OK = 0;
inline constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);
inline constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
inline constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
inline constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);

constexpr bool failed(HRESULT hr)
{
    return hr < 0;
}

struct D3DVECTOR
{
    float x, y, z;
    friend bool operator==(const D3DVECTOR&, const D3DVECTOR&) = default;
};

// Row-major: m[row][column]; points are row vectors, p' = p * M.
struct D3DMATRIX
{
    float m[4][4];
    friend bool operator==(const D3DMATRIX&, const D3DMATRIX&) = default;
};

struct D3DRECT
{
    std::int32_t x1, y1, x2, y2;
};

struct D3DDISPLAYMODE
{
    std::uint32_t Width;
    std::uint32_t Height;
    std::uint32_t RefreshRate;
    std::uint32_t Format;
};

struct D3DPRESENT_PARAMETERS
{
    std::uint32_t BackBufferWidth;
    std::uint32_t BackBufferHeight;
    std::uint32_t BackBufferFormat;
    std::uint32_t BackBufferCount;
    std::uint32_t MultiSampleType;
    std::uint32_t SwapEffect;
    std::uint32_t hDeviceWindow;
    std::int32_t Windowed;
    std::int32_t EnableAutoDepthStencil;
    std::uint32_t AutoDepthStencilFormat;
    std::uint32_t Flags;
    std::uint32_t FullScreen_RefreshRateInHz;
    std::uint32_t FullScreen_PresentationInterval;
};

inline constexpr std::uint32_t D3DADAPTER_DEFAULT = 0;
inline constexpr std::uint32_t D3DDEVTYPE_HAL = 1;
inline constexpr std::uint32_t D3DDEVTYPE_REF = 2; // drawn in software
inline constexpr std::uint32_t D3DCREATE_SOFTWARE_VERTEXPROCESSING = 32;

inline constexpr std::uint32_t D3DFMT_UNKNOWN = 0;
inline constexpr std::uint32_t D3DFMT_A8R8G8B8 = 21;
inline constexpr std::uint32_t D3DFMT_X8R8G8B8 = 22;
inline constexpr std::uint32_t D3DFMT_R5G6B5 = 23;
inline constexpr std::uint32_t D3DFMT_X1R5G5B5 = 24;
inline constexpr std::uint32_t D3DFMT_D16 = 80;

inline constexpr std::uint32_t D3DSWAPEFFECT_DISCARD = 1;
inline constexpr std::uint32_t D3DSWAPEFFECT_COPY_VSYNC = 4;

inline constexpr std::uint32_t D3DRS_ZENABLE = 7;
inline constexpr std::uint32_t D3DRS_SHADEMODE = 9;
inline constexpr std::uint32_t D3DRS_CULLMODE = 22;
inline constexpr std::uint32_t D3DRS_LIGHTING = 137;

inline constexpr std::uint32_t D3DZB_FALSE = 0;
inline constexpr std::uint32_t D3DZB_TRUE = 1;
inline constexpr std::uint32_t D3DSHADE_GOURAUD = 2;
inline constexpr std::uint32_t D3DCULL_NONE = 1;
inline constexpr std::uint32_t D3DCULL_CW = 2;
inline constexpr std::uint32_t D3DCULL_CCW = 3;

inline constexpr std::uint32_t D3DTS_VIEW = 2;
inline constexpr std::uint32_t D3DTS_PROJECTION = 3;
inline constexpr std::uint32_t D3DTS_WORLD = 256;

inline constexpr std::uint32_t D3DCLEAR_TARGET = 1;
inline constexpr std::uint32_t D3DCLEAR_ZBUFFER = 2;

inline constexpr std::uint32_t D3DPT_TRIANGLELIST = 4;
inline constexpr std::uint32_t D3DPOOL_DEFAULT = 0;

// Vertex format 66: position (three floats) and a diffuse D3DCOLOR, 16 bytes.
inline constexpr std::uint32_t D3DFVF_XYZ = 2;
inline constexpr std::uint32_t D3DFVF_DIFFUSE = 64;
inline constexpr std::uint32_t kVertexFormat = D3DFVF_XYZ | D3DFVF_DIFFUSE;
inline constexpr std::uint32_t kVertexStride = 16;

} // namespace triview
