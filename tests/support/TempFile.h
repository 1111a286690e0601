// A fresh temporary folder, removed with its files at the end.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace triview::test {

class TempDir
{
public:
    TempDir()
    {
        std::string pattern = std::filesystem::temp_directory_path() / "triview-test-XXXXXX";
        m_path = ::mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    const std::filesystem::path& path() const { return m_path; }

    // Writes content, bytes as they stand, to name; answers the full path.
    std::string write(const std::string& name, const std::string& content) const
    {
        std::ofstream(m_path / name, std::ios::binary) << content;
        return m_path / name;
    }

private:
    std::filesystem::path m_path;
};

} // namespace triview::test
