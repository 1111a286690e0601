#include "render/DeviceSeam.h"

namespace triview {

HRESULT DeviceSeam::enter(std::string_view operation)
{
    m_journal.emplace_back(operation);
    const auto failure = m_failures.find(operation);
    return failure == m_failures.end() ? D3D_OK : failure->second;
}

bool DeviceSeam::yieldsNothing(std::string_view operation) const
{
    return m_nothing.find(operation) != m_nothing.end();
}

} // namespace triview
