#include "picture/PngEncoder.h"

#include "runtime/RuntimeError.h"

#include <algorithm>
#include <csetjmp>
#include <png.h>

namespace triview {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    static_cast<std::string*>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char*>(data), size);
}

void flushNothing(png_structp)
{ }

} // namespace

// libpng reports errors by longjmp, so each step below sets its own jump and
// nothing in it may need a destructor: the encoder owns the bytes and the
// rows. Each answers whether libpng took it.
struct PngEncoder::Png
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    ~Png() { png_destroy_write_struct(&png, &info); }

    bool start(std::string& bytes, PixelSize size, bool alpha)
    {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        info = png ? png_create_info_struct(png) : nullptr;
        if (info == nullptr || setjmp(png_jmpbuf(png)))
            return false;
        png_set_write_fn(png, &bytes, appendBytes, flushNothing);
        // Drawn pictures are large areas of one colour: the Sub and Up
        // filters with a light deflate make files a little larger than the
        // default for a fraction of its time.
        png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_UP);
        png_set_compression_level(png, 3);
        png_set_IHDR(png, info, static_cast<png_uint_32>(size.width),
            static_cast<png_uint_32>(size.height), 8,
            alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
            PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        if (!alpha)
            png_set_filler(png, 0, PNG_FILLER_AFTER); // the rows' fourth byte is not written
        return true;
    }
    bool rows(const Frame& band, int count)
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        for (int y = 0; y < count; ++y)
            png_write_row(png, band.row(y));
        return true;
    }
    bool end()
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        png_write_end(png, info);
        return true;
    }
};

PngEncoder::PngEncoder(PixelSize size, bool alpha)
    : m_size(size)
    , m_png(std::make_unique<Png>())
{
    // A drawn picture compresses to a small part of its rows.
    m_bytes.reserve(std::min<std::size_t>(
        std::size_t(size.width) * std::size_t(size.height) / 4, std::size_t { 64 } << 20));
    m_failed = !m_png->start(m_bytes, size, alpha);
}

PngEncoder::~PngEncoder() = default;

void PngEncoder::add(const Frame& band, int rows)
{
    rows = std::min({ rows, m_size.height - m_row, band.size.height });
    m_failed = m_failed || band.size.width != m_size.width || !m_png->rows(band, rows);
    m_row += rows;
}

std::string PngEncoder::finish()
{
    if (m_failed || m_row != m_size.height || !m_png->end())
        throw RuntimeError(err::PathFileAccess, "PNG");
    return std::move(m_bytes);
}

std::unique_ptr<PictureSink> makePngEncoder(PixelSize size, bool alpha, const std::string&)
{
    return std::make_unique<PngEncoder>(size, alpha);
}

} // namespace triview
