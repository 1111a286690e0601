#include "app/PictureEncoder.h"

#include "runtime/RuntimeError.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <png.h>

namespace triview {

namespace {

void appendBytes(png_structp png, png_bytep data, png_size_t size)
{
    auto* bytes = static_cast<QByteArray*>(png_get_io_ptr(png));
    bytes->append(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

void flushNothing(png_structp)
{ }

} // namespace

// libpng reports errors by longjmp, so each step below sets its own jump and
// nothing in it may need a destructor: the encoder owns the bytes and the
// rows. Each answers whether libpng took it.
struct PictureEncoder::Png
{
    png_structp png = nullptr;
    png_infop info = nullptr;

    ~Png() { png_destroy_write_struct(&png, &info); }

    bool start(QByteArray& bytes, QSize size, bool alpha)
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
        png_set_IHDR(png, info, static_cast<png_uint_32>(size.width()),
            static_cast<png_uint_32>(size.height()), 8,
            alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
            PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
        png_write_info(png, info);
        if (!alpha)
            png_set_filler(png, 0, PNG_FILLER_AFTER); // the rows' fourth byte is not written
        return true;
    }
    bool rows(const QImage& band, int count)
    {
        if (setjmp(png_jmpbuf(png)))
            return false;
        for (int y = 0; y < count; ++y)
            png_write_row(png, band.constScanLine(y));
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

std::vector<std::string> writableFormats()
{
    std::vector<std::string> formats;
    for (const QByteArray& format : QImageWriter::supportedImageFormats())
        formats.push_back(format.toLower().toStdString());
    std::sort(formats.begin(), formats.end());
    formats.erase(std::unique(formats.begin(), formats.end()), formats.end());
    return formats;
}

bool isWritableFormat(const std::string& format)
{
    const std::vector<std::string> formats = writableFormats();
    return format == "png" || std::binary_search(formats.begin(), formats.end(), format);
}

PictureEncoder::PictureEncoder(QSize size, bool alpha, std::string format)
    : m_size(size)
    , m_format(std::move(format))
{
    if (m_format == "png") {
        // A drawn picture compresses to a small part of its rows.
        m_bytes.reserve(std::min<qsizetype>(qsizetype(size.width()) * size.height() / 4, 64 << 20));
        m_png = std::make_unique<Png>();
        m_failed = !m_png->start(m_bytes, size, alpha);
    } else {
        m_whole = QImage(size, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
        if (m_whole.isNull())
            throw RuntimeError(err::OutOfMemory);
    }
}

PictureEncoder::~PictureEncoder() = default;

void PictureEncoder::add(const QImage& band, int rows)
{
    rows = std::min(rows, m_size.height() - m_row);
    if (m_png) {
        m_failed = m_failed || !m_png->rows(band, rows);
    } else {
        for (int y = 0; y < rows; ++y)
            std::memcpy(m_whole.scanLine(m_row + y), band.constScanLine(y),
                std::size_t(std::min(m_whole.bytesPerLine(), band.bytesPerLine())));
    }
    m_row += rows;
}

QByteArray PictureEncoder::finish()
{
    if (m_png) {
        if (m_failed || m_row != m_size.height() || !m_png->end())
            throw RuntimeError(err::PathFileAccess, "PNG");
        return std::move(m_bytes);
    }
    QBuffer buffer(&m_bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArray::fromStdString(m_format));
    if (!writer.write(m_whole))
        throw RuntimeError(err::PathFileAccess, writer.errorString().toStdString());
    return std::move(m_bytes);
}

} // namespace triview
