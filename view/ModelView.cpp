#include "view/ModelView.h"

#include "model/DemoModel.h"
#include "model/TriReader.h"
#include "render/Deadline.h"
#include "render/Direct3DDevice8.h"
#include "view/FrameRenderer.h"
#include "view/Framing.h"
#include "view/VertexStore.h"

#include <algorithm>
#include <vector>

namespace triview {

namespace {

// The room a fitted picture leaves around the model: a twentieth of the
// picture's half-size on the side the model reaches.
constexpr float kFitMargin = 0.05f;

ViewFailure failure(const RuntimeError& error)
{
    return { error, error.report() };
}

// Runs step, answering the runtime error it raises as a failure.
template <typename Step> std::optional<ViewFailure> failureOf(Step&& step)
{
    if (auto error = raisedBy(step))
        return failure(*error);
    return std::nullopt;
}

} // namespace

ModelView::ModelView(RootFactory newRoot)
    : m_newRoot(std::move(newRoot))
{ }

ModelView::~ModelView()
{
    triview::Cleanup(m_d3d);
}

ModelView::ModelView(ModelView&&) noexcept = default;

ModelView& ModelView::operator=(ModelView&& other) noexcept
{
    if (this != &other) {
        // The device goes before the picture it draws on, and in its order.
        triview::Cleanup(m_d3d);
        m_d3d = std::move(other.m_d3d);
        m_picture = std::move(other.m_picture);
        m_newRoot = std::move(other.m_newRoot);
        m_model = std::move(other.m_model);
    }
    return *this;
}

VbBoolean ModelView::InitD3D(
    PresentTarget* target, std::uint32_t backBufferFormat, std::uint32_t deviceType)
{
    return triview::InitD3D(m_d3d, target, m_newRoot, backBufferFormat, deviceType);
}

void ModelView::Cleanup()
{
    triview::Cleanup(m_d3d);
}

std::variant<LoadedModel, ViewFailure> ModelView::load(
    const std::optional<std::string>& file, std::int16_t TriangleCount)
{
    LoadedModel loaded;
    const VertexSlot slot { m_d3d.D3DDevice.get(), loaded.m_buffer };
    bool stored = true;
    const std::optional<ViewFailure> failed = failureOf([&] {
        if (!file) {
            loaded.m_model = demonstration();
            stored = Sample(slot) == vbTrue;
            return;
        }
        std::optional<Model> model
            = readModel(*file, TriangleCount, [&](std::span<const TriVertex, 3> first) {
                  return InitGeometry(slot, TriangleCount, first) == vbTrue;
              });
        stored = model.has_value();
        if (model) {
            storeTheRest(slot, *model);
            loaded.m_model = std::move(*model);
        }
    });
    if (failed)
        return *failed;
    if (!stored)
        return ViewFailure { std::nullopt, kNoVertexBuffer };
    return loaded;
}

void ModelView::show(LoadedModel model)
{
    m_model = std::move(model.m_model);
    m_d3d.VertexBuffer = std::move(model.m_buffer); // the one shown until now goes
}

std::optional<ViewFailure> ModelView::Render(const Pose& pose, const std::optional<D3DMATRIX>& view)
{
    return failureOf([&] { triview::Render(m_d3d, m_model.TriangleCount, pose, view); });
}

std::optional<ViewFailure> ModelView::drawPicture(
    const PictureRequest& request, int bandRows, const std::function<void(const Frame&, int)>& take)
{
    std::optional<Deadline> deadline;
    if (request.timeLimit)
        deadline.emplace(*request.timeLimit);
    std::int16_t TriangleCount = 0;
    if (const auto failed = failureOf([&] {
            TriangleCount = request.file ? counttri(*request.file) : kDemonstrationTriangles;
        }))
        return failed;
    Cleanup(); // a device on another picture goes first
    m_picture = std::make_unique<PictureTarget>(PixelSize { request.size.width, bandRows });
    if (InitD3D(m_picture.get(), request.transparent ? D3DFMT_A8R8G8B8 : D3DFMT_UNKNOWN,
            request.deviceType)
        == vbFalse)
        return ViewFailure { std::nullopt, kNoDevice };
    auto loaded = load(request.file, TriangleCount);
    if (auto* failed = std::get_if<ViewFailure>(&loaded))
        return std::move(*failed);
    show(std::get<LoadedModel>(std::move(loaded)));
    m_d3d.D3DDevice->setDeadline(deadline);
    const Pose pose { false, 0.0f, request.axis, request.angle, request.distance };
    return failureOf([&] {
        std::optional<D3DMATRIX> view;
        if (request.fit) {
            std::vector<TriVertex> normalised = m_model.vertices;
            normaliseVertices(std::as_writable_bytes(std::span(normalised)));
            const std::span<const std::byte> bytes = std::as_bytes(std::span(normalised));
            m_d3d.VertexBuffer->write(0, bytes.data(), static_cast<std::int32_t>(bytes.size()));
            view = fittedView(bytes, worldTransform(pose), viewTransform(pose.distance),
                kFieldOfView, kNearPlane, kFitMargin);
        }
        const int height = request.size.height;
        for (int top = 0; top < height; top += bandRows) {
            if (bandRows < height)
                m_d3d.D3DDevice->setBand(height, top);
            triview::Render(m_d3d, m_model.TriangleCount, pose, view);
            take(m_picture->frame(), std::min(bandRows, height - top));
        }
    });
}

} // namespace triview
