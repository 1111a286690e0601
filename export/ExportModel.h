// A model written out with no window and no display: FILE read as the window
// reads it (counted, then loaded), or the demonstration model, encoded in
// one of the export formats and written to an output whole or not at all.
#pragma once

#include "export/ExportFormats.h"

#include <optional>
#include <string>

namespace triview {

// Why a model was not written: what to tell the user (a runtime error's
// report: number, description, file, line) and the exit status, 1 for a
// failure or 2 for a refusal.
struct ExportFailure
{
    std::string message;
    int exitStatus;
};

// Writes file's model (the demonstration model without one) to output ("-"
// for standard output) in format. A model that cannot be read leaves the
// output as it was. An output that is the model itself, or a binary format
// for a terminal, is refused before anything is read.
std::optional<ExportFailure> exportModel(
    const std::optional<std::string>& file, const std::string& output, ExportFormat format);

} // namespace triview
