// A ZIP archive made in memory, its entries deflated: the package that a 3MF
// file is. Entries get a fixed date, so the same model gives the same bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace triview {

class ZipArchive
{
public:
    // Adds an entry; name is its path in the archive, with "/" between
    // folders. Raises 7 when memory runs out.
    void add(std::string_view name, std::string_view content);
    // The archive's bytes: the entries, then their directory.
    std::string finish();

private:
    std::string m_bytes; // the entries so far
    std::string m_directory; // their directory records
    std::uint16_t m_entries = 0;
};

} // namespace triview
