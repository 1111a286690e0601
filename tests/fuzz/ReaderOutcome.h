// What reading a tri file gives, for the fuzzers to compare: the count, the
// triangles stored, and the error with its line and detail. No triangle may
// land past the count.
#pragma once

#include "RecordingSink.h"
#include "model/TextInputFile.h"
#include "model/TriReader.h"
#include "model/TriVertex.h"
#include "runtime/RuntimeError.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>

namespace triview::fuzz {

struct Outcome
{
    std::int16_t count = 0, cursor = 0;
    test::RecordingSink store;
    std::int32_t error = 0;
    std::int64_t line = 0;
    std::string detail;

    bool operator==(const Outcome& o) const
    {
        return count == o.count && cursor == o.cursor && error == o.error && line == o.line
            && detail == o.detail && store.calls.size() == o.store.calls.size()
            && std::equal(store.calls.begin(), store.calls.end(), o.store.calls.begin(),
                [](const auto& a, const auto& b) {
                    return a.second == b.second
                        && std::memcmp(&a.first, &b.first, sizeof(TriangleRecord)) == 0;
                });
    }
};

// Counts and loads what open() opens, twice. Every reading error must name
// its place: the file, and a line.
template <typename Open> Outcome read(Open open, const std::string& fileName)
{
    Outcome outcome;
    try {
        TextInputFile CountFile = open();
        outcome.count = countHeaders(CountFile);
        TextInputFile ModelFile = open();
        loadRecords(ModelFile, outcome.count, outcome.cursor, outcome.store);
    } catch (const RuntimeError& error) {
        if (error.line() < 1 || error.fileName() != fileName)
            std::abort();
        outcome.error = error.number();
        outcome.line = error.line();
        outcome.detail = error.detail();
    }
    // No triangle lands past the count, and each at its own place.
    for (std::size_t k = 0; k < outcome.store.calls.size(); ++k)
        if (k >= std::size_t(outcome.count)
            || outcome.store.calls[k].second != (k == 0 ? -1 : int(3 * k)))
            std::abort();
    if (outcome.cursor < 0 || outcome.cursor > 3 * outcome.count)
        std::abort();
    return outcome;
}

} // namespace triview::fuzz
