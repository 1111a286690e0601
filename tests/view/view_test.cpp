// The model, the view and the picture path with neither Qt nor OpenGL: the
// model a file gives, a model stored on a software device (and what becomes
// of a buffer that cannot be made), and pictures compared as drawn.
#include "Raised.h"
#include "TempFile.h"
#include "model/Model.h"
#include "model/TriReader.h"
#include "render/DeviceSeam.h"
#include "render/software/SoftwareBackend.h"
#include "view/ModelView.h"
#include "view/WindowFigures.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <variant>

namespace triview {
namespace {

// Record k: corners (k, 1, 2), (k, 3, 4), (k, 5, 6) scaled by scale and
// moved by shift, and the colour group given.
std::string record(int k, const char* colour = "255,0,0,0,0,0", double scale = 1, double shift = 0)
{
    std::string text = "Triangle\n" + std::string(colour) + "\n";
    for (int i = 0; i < 3; ++i) {
        char corner[96];
        std::snprintf(corner, sizeof corner, "%.9g,%.9g,%.9g,0,0,0\n", k * scale + shift,
            (2 * i + 1) * scale + shift, (2 * i + 2) * scale + shift);
        text += corner;
    }
    return text;
}

// A view drawing in software on a small picture, watched through a seam.
struct SoftwareView
{
    SoftwareView() { EXPECT_EQ(view.InitD3D(&target, D3DFMT_UNKNOWN, D3DDEVTYPE_REF), vbTrue); }
    std::variant<LoadedModel, ViewFailure> load(const std::string& text, std::int16_t count)
    {
        const std::string file = dir.write("model.tri", text);
        return view.load(file, count);
    }
    std::vector<std::uint8_t> frame()
    {
        EXPECT_FALSE(view.Render({ false, 0, { 0, 1, 0 }, 0.3f, kStartDistance }));
        return target.frame().pixels;
    }

    test::TempDir dir;
    std::shared_ptr<DeviceSeam> seam = std::make_shared<DeviceSeam>();
    PictureTarget target { { 48, 40 } };
    ModelView view { [s = seam] {
        return std::make_unique<DirectX8>(s, Backends { nullptr, makeSoftwareBackend });
    } };
};

TEST(Model, HoldsTheRecordsInFileOrderAndStopsWhereTheFirstTriangleIsRefused)
{
    test::TempDir dir;
    const std::string file
        = dir.write("model.tri", record(0, "0,128,255,9,9,9") + record(1) + record(2));
    int told = 0;
    const std::optional<Model> model = readModel(file, 4, [&](std::span<const TriVertex, 3> first) {
        EXPECT_EQ(first[2].z, 6.0f);
        return ++told > 0;
    });
    ASSERT_TRUE(model);
    EXPECT_EQ(told, 1);
    EXPECT_EQ(model->file, file);
    EXPECT_EQ(model->TriangleCount, 4);
    ASSERT_EQ(model->VertexCursor(), 9);
    for (int v = 0; v < 9; ++v) {
        const TriVertex& vertex = model->vertices[v];
        EXPECT_EQ(vertex.x, v / 3);
        EXPECT_EQ(vertex.y, 2 * (v % 3) + 1);
        EXPECT_EQ(vertex.colour, v < 3 ? 0xFF0080FFu : 0xFFFF0000u) << v;
    }

    // Refused at the first triangle: nothing more is read, not even a
    // broken record; a colour out of range raises before it is offered.
    const std::string broken = dir.write("broken.tri", record(0) + "Triangle\nbroken\n");
    EXPECT_FALSE(readModel(broken, 2, [](auto) { return false; }));
    const std::string overflow = dir.write("overflow.tri", record(0, "-32768,0,0,0,0,0"));
    EXPECT_EQ(test::raisedNumber([&] {
        readModel(overflow, 1, [](auto) -> bool { throw std::logic_error("offered"); });
    }),
        err::Overflow);
}

TEST(ModelView, AModelReadIsShownOnlyOnceShown)
{
    SoftwareView s;
    auto demo = s.view.load(std::nullopt, 3);
    ASSERT_TRUE(std::holds_alternative<LoadedModel>(demo));
    s.view.show(std::get<LoadedModel>(std::move(demo)));
    const std::vector<std::uint8_t> shown = s.frame();

    auto loaded = s.load(record(0, "0,255,0,0,0,0", 4) + record(1, "0,0,255,0,0,0", 4), 2);
    ASSERT_TRUE(std::holds_alternative<LoadedModel>(loaded));
    EXPECT_EQ(s.view.model().VertexCursor(), 9); // still the demonstration model
    EXPECT_EQ(s.frame(), shown);
    s.view.show(std::get<LoadedModel>(std::move(loaded)));
    EXPECT_EQ(s.view.model().VertexCursor(), 6);
    EXPECT_NE(s.frame(), shown);
}

TEST(ModelView, ABufferThatCannotBeMadeIsToldAtTheFirstRecord)
{
    // The second record is broken: a failure at the first stops before it.
    const std::string text = record(0) + "Triangle\nbroken\n";
    const auto failure = [](std::variant<LoadedModel, ViewFailure> outcome) {
        EXPECT_TRUE(std::holds_alternative<ViewFailure>(outcome));
        return std::get<ViewFailure>(outcome);
    };
    SoftwareView none;
    none.seam->yieldNothing("CreateVertexBuffer");
    const ViewFailure noBuffer = failure(none.load(text, 2));
    EXPECT_FALSE(noBuffer.error);
    EXPECT_EQ(noBuffer.message, kNoVertexBuffer);
    EXPECT_EQ(failure(none.view.load(std::nullopt, 3)).message, kNoVertexBuffer);

    SoftwareView refused;
    refused.seam->fail("CreateVertexBuffer", E_OUTOFMEMORY);
    const ViewFailure outOfMemory = failure(refused.load(text, 2));
    ASSERT_TRUE(outOfMemory.error);
    EXPECT_EQ(outOfMemory.error->number(), E_OUTOFMEMORY);
    EXPECT_EQ(outOfMemory.message, outOfMemory.error->report());

    SoftwareView deviceless;
    deviceless.view.Cleanup();
    const ViewFailure noDevice = failure(deviceless.load(record(0), 1));
    EXPECT_EQ(noDevice.error ? noDevice.error->number() : 0, err::ObjectNotSet);
}

// A whole picture's pixels, drawn by a view at once or in bands of bandRows.
std::vector<std::uint8_t> picture(const PictureRequest& request, int bandRows)
{
    ModelView view(newSoftwareDirectX8);
    std::vector<std::uint8_t> pixels;
    const std::size_t rowBytes = 4 * std::size_t(request.size.width);
    if (auto failure = view.drawPicture(request, bandRows, [&](const Frame& band, int rows) {
            pixels.insert(pixels.end(), band.pixels.begin(), band.pixels.begin() + rows * rowBytes);
        }))
        ADD_FAILURE() << failure->message;
    return pixels;
}

TEST(Picture, BandsMakeTheWholePictureAndAFitShowsAModelAlikeWhereverItIs)
{
    test::TempDir dir;
    PictureRequest request { dir.write("model.tri", record(0) + record(3, "0,0,255,0,0,0")),
        { 90, 70 }, kStartDistance, { 0, 1, 0 }, 0.6f, true, true, D3DDEVTYPE_REF };
    const std::vector<std::uint8_t> whole = picture(request, 70);
    ASSERT_EQ(whole.size(), 90u * 70 * 4);
    EXPECT_EQ(picture(request, 16), whole); // four bands and part of one
    // Scaled by powers of two and moved by a whole number the float keeps:
    // the fit sees the same model.
    for (const auto& [scale, shift] :
        { std::pair { 0x1p-60, 0.0 }, { 0x1p60, 0.0 }, { 1.0, 4096.0 } }) {
        request.file = dir.write("moved.tri",
            record(0, "255,0,0,0,0,0", scale, shift) + record(3, "0,0,255,0,0,0", scale, shift));
        EXPECT_EQ(picture(request, 70), whole) << scale << " " << shift;
    }

    auto seam = std::make_shared<DeviceSeam>();
    seam->fail("CreateDevice", D3DERR_NOTAVAILABLE);
    ModelView view([&] {
        return std::make_unique<DirectX8>(seam, Backends { nullptr, makeSoftwareBackend });
    });
    const auto noDevice = view.drawPicture(request, 70, [](const Frame&, int) {});
    ASSERT_TRUE(noDevice);
    EXPECT_EQ(noDevice->message, kNoDevice);
}

} // namespace
} // namespace triview
