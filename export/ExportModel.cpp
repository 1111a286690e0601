#include "export/ExportModel.h"

#include "model/TriReader.h"
#include "runtime/OutputFile.h"
#include "runtime/RuntimeError.h"

namespace triview {

std::optional<ExportFailure> exportModel(
    const std::optional<std::string>& file, const std::string& output, ExportFormat format)
{
    const ExportFormatInfo& info = exportFormatInfo(format);
    if (file && sameFile(output, *file))
        return ExportFailure { "triview: the export would overwrite the model; name another OUT",
            2 };
    if (!info.text && isTerminal(output))
        return ExportFailure { "triview: " + std::string(info.name)
                + " is a binary format, not for a terminal; redirect standard output or name a "
                  "file",
            2 };
    if (const auto error = raisedBy([&] {
            const Model model = file ? *readModel(*file, counttri(*file)) : demonstration();
            writeOutput(output, encodeModel(model, format));
        }))
        return ExportFailure { error->report(), 1 };
    return std::nullopt;
}

} // namespace triview
