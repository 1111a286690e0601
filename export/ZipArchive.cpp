#include "export/ZipArchive.h"

#include "export/Encoding.h"
#include "runtime/RuntimeError.h"

#include <limits>
#include <zlib.h>

namespace triview {

namespace {

constexpr std::uint16_t kVersionNeeded = 20; // deflate
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kUtf8Names = 1u << 11;
constexpr std::uint16_t kDosTime = 0; // 00:00:00
constexpr std::uint16_t kDosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01

// Raw deflate (no zlib header), as ZIP stores it. Level 1: a package is
// written once and read once, and speed matters more than the last percent.
std::string deflated(std::string_view content)
{
    z_stream stream {};
    if (deflateInit2(&stream, 1, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        throw RuntimeError(err::OutOfMemory);
    std::string out(deflateBound(&stream, static_cast<uLong>(content.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
    stream.avail_in = static_cast<uInt>(content.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw RuntimeError(err::OutOfMemory);
    return out;
}

} // namespace

void ZipArchive::add(std::string_view name, std::string_view content)
{
    // A model is at most 10922 triangles: far from ZIP's 4 GiB and 65535 entries.
    if (content.size() >= std::numeric_limits<std::uint32_t>::max() || m_entries == 0xFFFF)
        throw RuntimeError(err::OutOfMemory);
    const std::string data = deflated(content);
    const auto crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(content.data()), static_cast<uInt>(content.size())));
    const auto offset = static_cast<std::uint32_t>(m_bytes.size());

    // What the local header and the directory record share, from the version
    // needed to the name's length.
    std::string common;
    appendLittleEndian(common, kVersionNeeded);
    appendLittleEndian(common, kUtf8Names);
    appendLittleEndian(common, kDeflated);
    appendLittleEndian(common, kDosTime);
    appendLittleEndian(common, kDosDate);
    appendLittleEndian(common, crc);
    appendLittleEndian(common, static_cast<std::uint32_t>(data.size()));
    appendLittleEndian(common, static_cast<std::uint32_t>(content.size()));
    appendLittleEndian(common, static_cast<std::uint16_t>(name.size()));

    appendLittleEndian(m_bytes, std::uint32_t { 0x04034b50 });
    m_bytes += common;
    appendLittleEndian(m_bytes, std::uint16_t { 0 }); // extra field
    m_bytes += name;
    m_bytes += data;

    appendLittleEndian(m_directory, std::uint32_t { 0x02014b50 });
    appendLittleEndian(m_directory, std::uint16_t { 0x0314 }); // made by: Unix, 2.0
    m_directory += common;
    appendLittleEndian(m_directory, std::uint16_t { 0 }); // extra field
    appendLittleEndian(m_directory, std::uint16_t { 0 }); // comment
    appendLittleEndian(m_directory, std::uint16_t { 0 }); // disk
    appendLittleEndian(m_directory, std::uint16_t { 0 }); // internal attributes
    appendLittleEndian(m_directory, std::uint32_t { 0100644u << 16 }); // a regular file, rw-r--r--
    appendLittleEndian(m_directory, offset);
    m_directory += name;
    ++m_entries;
}

std::string ZipArchive::finish()
{
    std::string out = std::move(m_bytes);
    const auto directoryAt = static_cast<std::uint32_t>(out.size());
    out += m_directory;
    appendLittleEndian(out, std::uint32_t { 0x06054b50 });
    appendLittleEndian(out, std::uint16_t { 0 }); // this disk
    appendLittleEndian(out, std::uint16_t { 0 }); // the directory's disk
    appendLittleEndian(out, m_entries);
    appendLittleEndian(out, m_entries);
    appendLittleEndian(out, static_cast<std::uint32_t>(m_directory.size()));
    appendLittleEndian(out, directoryAt);
    appendLittleEndian(out, std::uint16_t { 0 }); // comment
    m_directory.clear();
    m_entries = 0;
    return out;
}

} // namespace triview
