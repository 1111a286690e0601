// The tri reader on a 10922-triangle file: counting, loading and both, in
// bytes per second, beside the bare std::from_chars parse of the same text;
// and counting a gigabyte of blank lines and headers, beside memchr over the
// same bytes in memory, which runs at memory speed.
#include "GeneratedModel.h"
#include "RecordingSink.h"
#include "model/Model.h"
#include "model/TriReader.h"

#include <benchmark/benchmark.h>
#include <cstring>

namespace triview::bench {
namespace {

std::int64_t fileBytes()
{
    return static_cast<std::int64_t>(readFile(generatedModelFile()).size());
}

void BM_BareParse(benchmark::State& state)
{
    const std::string text = readFile(generatedModelFile());
    for (auto _ : state)
        benchmark::DoNotOptimize(bareParse(text));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

void BM_Counttri(benchmark::State& state)
{
    const std::string& file = generatedModelFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(counttri(file));
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

void BM_Loadtri(benchmark::State& state)
{
    const std::string& file = generatedModelFile();
    for (auto _ : state) {
        test::RecordingSink store; // keeps each triangle, as the vertex store does, in memory
        std::int16_t cursor = 0;
        loadtri(file, kTriangles, cursor, store);
        benchmark::DoNotOptimize(cursor);
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

// What start-up does with the file: count it, then read it into a model.
void BM_CounttriThenLoadtri(benchmark::State& state)
{
    const std::string& file = generatedModelFile();
    for (auto _ : state) {
        const std::optional<Model> model = readModel(file, counttri(file));
        benchmark::DoNotOptimize(model->vertices.data());
    }
    state.SetBytesProcessed(state.iterations() * fileBytes());
}

// A gigabyte of blank lines, with a header every 32 KiB: 32767 of them.
constexpr std::size_t kGigabyte = std::size_t { 1 } << 30;

const std::string& blankLinesText()
{
    static const std::string text = [] {
        std::string all(kGigabyte, '\n');
        for (std::size_t at = 0; at + 10 <= all.size() && at / 32768 < 32767; at += 32768)
            std::memcpy(all.data() + at, "\nTriangle\n", 10);
        return all;
    }();
    return text;
}

const std::string& blankLinesFile()
{
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "triview-bench-blank-lines.tri";
        std::ofstream(file, std::ios::binary) << blankLinesText();
        return file.string();
    }();
    return path;
}

void BM_MemchrGigabyte(benchmark::State& state)
{
    const std::string& text = blankLinesText();
    for (auto _ : state) {
        std::size_t found = 0;
        for (const char *p = text.data(), *end = p + text.size();
             (p = static_cast<const char*>(std::memchr(p, 'T', end - p))); ++p)
            ++found;
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kGigabyte));
}

void BM_CounttriGigabyte(benchmark::State& state)
{
    const std::string& file = blankLinesFile();
    for (auto _ : state)
        benchmark::DoNotOptimize(counttri(file));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(kGigabyte));
}

BENCHMARK(BM_BareParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Counttri)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Loadtri)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CounttriThenLoadtri)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemchrGigabyte)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CounttriGigabyte)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace triview::bench

BENCHMARK_MAIN();
