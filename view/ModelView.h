// One view of a model, for every front-end: the device on a picture, the
// vertex buffer and the model shown in it. It reads a model without touching
// what is shown, shows it, draws a pose, and makes a whole picture from a
// request. Failures are values; what to tell the user, and whether to end,
// is the front-end's to decide.
#pragma once

#include "model/Model.h"
#include "render/D3DTypes.h"
#include "render/Direct3D8.h"
#include "render/PresentTarget.h"
#include "runtime/RuntimeError.h"
#include "runtime/Values.h"
#include "view/DeviceSetup.h"
#include "view/Pose.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace triview {

// What start-up shows when no device, or no vertex buffer, can be made.
inline constexpr const char* kNoDevice = "不能建立D3D Device";
inline constexpr const char* kNoVertexBuffer = "不能建立D3D VertexBuffer";

// Why a view could not do what it was asked: no device (kNoDevice), no
// vertex buffer (kNoVertexBuffer), or a runtime error.
struct ViewFailure
{
    std::optional<RuntimeError> error; // none: message is the whole story
    std::string message; // kNoDevice, kNoVertexBuffer, or the error's report
};

// A model read for a view, in a vertex buffer of its own, not yet shown.
class LoadedModel
{
public:
    const Model& model() const { return m_model; }

private:
    friend class ModelView;
    Model m_model;
    std::shared_ptr<Direct3DVertexBuffer8> m_buffer;
};

// A whole picture: what to draw, and how.
struct PictureRequest
{
    std::optional<std::string> file; // the model's name; none: the demonstration model
    PixelSize size;
    std::int16_t distance;
    D3DVECTOR axis;
    float angle;
    bool fit = false; // the model fills the picture instead of the window's camera
    bool transparent = false; // a transparent background instead of black
    std::uint32_t deviceType = D3DDEVTYPE_HAL; // D3DDEVTYPE_REF: drawn in software
    // Seconds from the start after which a picture not yet drawn is given
    // up with error 18; none: no limit.
    std::optional<int> timeLimit = std::nullopt;
};

// The time limit of thumbnails, below the 30 s after which KIO gives up.
inline constexpr int kThumbnailTimeLimit = 20;

class ModelView
{
public:
    // newRoot makes the device layer's root object when a device is first
    // made; nothing is made before.
    explicit ModelView(RootFactory newRoot);
    ~ModelView();
    ModelView(ModelView&&) noexcept;
    ModelView& operator=(ModelView&&) noexcept;

    // Makes the device on target as start-up does (see InitD3D): vbFalse
    // when there is none.
    VbBoolean InitD3D(PresentTarget* target, std::uint32_t backBufferFormat = D3DFMT_UNKNOWN,
        std::uint32_t deviceType = D3DDEVTYPE_HAL);
    // Releases the buffer, the device and the Direct3D object; the root
    // object stays.
    void Cleanup();

    // Reads file's TriangleCount triangles (as counttri counted them), or the
    // demonstration model for none, into a vertex buffer of its own; what is
    // shown does not change. The buffer is made when the first record has
    // been read, and when it cannot be, nothing more is read.
    std::variant<LoadedModel, ViewFailure> load(
        const std::optional<std::string>& file, std::int16_t TriangleCount);
    // Shows model from the next frame on, in place of the one shown.
    void show(LoadedModel model);
    // The model shown; none before the first.
    const Model& model() const { return m_model; }

    // Draws the model shown from pose (through view, when given) and
    // presents it; nothing without a device.
    std::optional<ViewFailure> Render(
        const Pose& pose, const std::optional<D3DMATRIX>& view = std::nullopt);

    // What a frame drawn now would show, besides the pose and the size: the
    // same for two frames that would draw the same pixels.
    const void* shownBuffer() const { return m_d3d.VertexBuffer.get(); }

    // Draws the picture request asks for on a device of its own, in bands of
    // bandRows rows from the top, each frame handed to take with the rows of
    // it that are the picture's: the window's start-up and first frame, with
    // the file named up front. With fit and transparent only the camera and
    // the back buffer's format differ.
    std::optional<ViewFailure> drawPicture(const PictureRequest& request, int bandRows,
        const std::function<void(const Frame& band, int rows)>& take);

private:
    RootFactory m_newRoot;
    std::unique_ptr<PictureTarget> m_picture; // the target of drawPicture's device
    Direct3DObjects m_d3d;
    Model m_model;
};

} // namespace triview
