// The floor of any thumbnailer that reads the model: counts and reads it as
// triview-thumbnailer does, then writes a transparent PNG of SIZE by SIZE
// with nothing drawn, through the same encoder and output file.
// bench/thumbnails.sh times triview-thumbnailer beside it.
//   blank_thumbnail SIZE MODEL OUT
#include "model/Model.h"
#include "model/TriReader.h"
#include "picture/PngEncoder.h"
#include "runtime/OutputFile.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::fputs("usage: blank_thumbnail SIZE MODEL OUT\n", stderr);
        return 2;
    }
    const int side = std::atoi(argv[1]);
    const std::string model = argv[2];
    if (!triview::readModel(model, triview::counttri(model)))
        return 1;
    const triview::PixelSize size { side, side };
    triview::Frame blank { size, true, std::vector<std::uint8_t>(std::size_t(side) * side * 4) };
    const auto encoder = triview::makePngEncoder(size, true, "png");
    encoder->add(blank, side);
    triview::writeOutput(argv[3], encoder->finish());
    return 0;
}
