#include "export/ZipArchive.h"

#include "export/Encoding.h"
#include "runtime/RuntimeError.h"

#include <libdeflate.h>
#include <limits>
#include <memory>

namespace triview {

namespace {

constexpr std::uint16_t kVersionNeeded = 20; // deflate
constexpr std::uint16_t kDeflated = 8;
constexpr std::uint16_t kUtf8Names = 1u << 11;
constexpr std::uint16_t kDosTime = 0; // 00:00:00
constexpr std::uint16_t kDosDate = (0 << 9) | (1 << 5) | 1; // 1980-01-01

// Raw deflate (no zlib header), as ZIP stores it, by libdeflate, which
// packs a model's part twice as fast as zlib. Level 1: a package is written
// once and read once, and speed matters more than the last percent.
std::string deflated(std::string_view content)
{
    const std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> compressor(
        libdeflate_alloc_compressor(1), libdeflate_free_compressor);
    if (!compressor)
        throw RuntimeError(err::OutOfMemory);
    std::string out(libdeflate_deflate_compress_bound(compressor.get(), content.size()), '\0');
    const std::size_t size = libdeflate_deflate_compress(
        compressor.get(), content.data(), content.size(), out.data(), out.size());
    if (size == 0) // the bound is always enough
        throw RuntimeError(err::InternalError, "deflate");
    out.resize(size);
    return out;
}

} // namespace

void ZipArchive::add(std::string_view name, std::string_view content)
{
    // A model is at most 10922 triangles: far from ZIP's 4 GiB and 65535 entries.
    if (content.size() >= std::numeric_limits<std::uint32_t>::max() || m_entries == 0xFFFF)
        throw RuntimeError(err::OutOfMemory);
    const std::string data = deflated(content);
    const auto crc
        = static_cast<std::uint32_t>(libdeflate_crc32(0, content.data(), content.size()));
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
