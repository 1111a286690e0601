#include "window/PictureEncoder.h"

#include "picture/PngEncoder.h"
#include "runtime/RuntimeError.h"

#include <QBuffer>
#include <QImageWriter>
#include <algorithm>
#include <cstring>

namespace triview {

namespace {

class QtEncoder final : public PictureSink
{
public:
    QtEncoder(PixelSize size, bool alpha, std::string format)
        : m_whole(
            size.width, size.height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888)
        , m_format(std::move(format))
    {
        if (m_whole.isNull())
            throw RuntimeError(err::OutOfMemory);
    }

    void add(const Frame& band, int rows) override
    {
        rows = std::min({ rows, m_whole.height() - m_row, band.size.height });
        const std::size_t rowBytes = std::min(std::size_t(m_whole.bytesPerLine()), band.rowBytes());
        for (int y = 0; y < rows; ++y)
            std::memcpy(m_whole.scanLine(m_row + y), band.row(y), rowBytes);
        m_row += rows;
    }

    std::string finish() override
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, QByteArray::fromStdString(m_format));
        if (!writer.write(m_whole))
            throw RuntimeError(err::PathFileAccess, writer.errorString().toStdString());
        return bytes.toStdString();
    }

private:
    QImage m_whole;
    std::string m_format;
    int m_row = 0;
};

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

std::unique_ptr<PictureSink> makePictureEncoder(
    PixelSize size, bool alpha, const std::string& format)
{
    if (format == "png")
        return std::make_unique<PngEncoder>(size, alpha);
    return std::make_unique<QtEncoder>(size, alpha, format);
}

} // namespace triview
