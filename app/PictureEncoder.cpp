#include "app/PictureEncoder.h"

#include "runtime/RuntimeError.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <csetjmp>
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

// libpng reports errors by longjmp, so nothing here may need a destructor
// between png_create_write_struct and the end: the caller owns the bytes
// and the picture. Answers whether the whole picture was written.
bool writePng(const QImage& picture, bool alpha, QByteArray& bytes)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, &bytes, appendBytes, flushNothing);
    // Drawn pictures are large areas of one colour: the Sub and Up filters
    // with a light deflate make files a little larger than the default for
    // a fraction of its time.
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_UP);
    png_set_compression_level(png, 3);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width()),
        static_cast<png_uint_32>(picture.height()), 8,
        alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
        PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    png_write_info(png, info);
    if (!alpha)
        png_set_filler(png, 0, PNG_FILLER_AFTER); // the rows' fourth byte is not written
    for (int y = 0; y < picture.height(); ++y)
        png_write_row(png, picture.constScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

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

QByteArray encodePicture(const QImage& picture, const std::string& format)
{
    QByteArray bytes;
    if (format == "png") {
        const bool alpha = picture.hasAlphaChannel();
        const QImage rows
            = picture.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
        if (rows.isNull())
            throw RuntimeError(err::OutOfMemory);
        bytes.reserve(rows.width() * rows.height() / 4 + 1024);
        if (!writePng(rows, alpha, bytes))
            throw RuntimeError(err::PathFileAccess, "PNG");
        return bytes;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, QByteArray::fromStdString(format));
    if (!writer.write(picture))
        throw RuntimeError(err::PathFileAccess, writer.errorString().toStdString());
    return bytes;
}

} // namespace triview
