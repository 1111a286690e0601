#include "export/Encoding.h"

#include "runtime/ShownSafely.h"

#include <algorithm>

namespace triview {

std::string modelName(const Model& model)
{
    if (!model.file)
        return "demonstration";
    std::string_view name = *model.file;
    name.remove_prefix(std::min(name.size(), name.rfind('/') + 1));
    if (const std::size_t dot = name.rfind('.'); dot != std::string_view::npos && dot > 0)
        name = name.substr(0, dot);
    return name.empty() ? "model" : shownSafely(name, 200);
}

} // namespace triview
