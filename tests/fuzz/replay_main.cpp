// Runs a fuzz target once on each file of the folders or files named, as a
// test: its seed corpus is a table of cases. A check that fails aborts.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char* argv[])
{
    namespace fs = std::filesystem;
    for (int i = 1; i < argc; ++i) {
        std::vector<fs::path> inputs { argv[i] };
        if (fs::is_directory(argv[i]))
            inputs.assign(fs::directory_iterator(argv[i]), fs::directory_iterator());
        for (const fs::path& input : inputs) {
            std::ifstream file(input, std::ios::binary);
            const std::vector<char> bytes(std::istreambuf_iterator<char>(file), {});
            LLVMFuzzerTestOneInput(
                reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
        }
    }
    return 0;
}
