// The floor of any exporter that reads the model: counts and reads it as
// triview --export does, then writes BYTES bytes through the same output
// file, with no encoding at all. bench/export.sh times triview --export
// beside it, one size a format.
//   export_floor BYTES MODEL OUT
#include "model/Model.h"
#include "model/TriReader.h"
#include "runtime/OutputFile.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: export_floor BYTES MODEL OUT\n", stderr);
        return 2;
    }
    const std::string model = argv[2];
    if (!triview::readModel(model, triview::counttri(model)))
        return 1;
    triview::writeOutput(argv[3], std::string(std::strtoull(argv[1], nullptr, 10), '\0'));
    return 0;
}
