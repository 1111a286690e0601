// A seam through which tests watch the device layer and make its operations
// fail. The objects made by a root object that was given a seam report every
// operation and release to it, by name ("Clear", "SetRenderState:22",
// "Release:Device", ...), and answer the failures set on it; a device made
// through it compiles the shader sources set on it instead of its own, so
// that tests can hand the real driver shaders it must refuse. The program
// itself makes its objects without one.
#pragma once

#include "render/D3DTypes.h"

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace triview {

class DeviceSeam
{
public:
    // The operation answers code from now on.
    void fail(std::string operation, HRESULT code) { m_failures[std::move(operation)] = code; }
    // The operation reports success but gives no object.
    void yieldNothing(std::string operation) { m_nothing.insert(std::move(operation)); }
    // The device's shaders are these sources from now on; empty: its own.
    void replaceShaders(std::string vertex, std::string fragment)
    {
        m_vertexShader = std::move(vertex);
        m_fragmentShader = std::move(fragment);
    }

    // Records the operation; answers the failure set for it, or D3D_OK.
    HRESULT enter(std::string_view operation);
    bool yieldsNothing(std::string_view operation) const;

    const std::string& vertexShader() const { return m_vertexShader; }
    const std::string& fragmentShader() const { return m_fragmentShader; }

    const std::vector<std::string>& journal() const { return m_journal; }
    void clearJournal() { m_journal.clear(); }

private:
    std::map<std::string, HRESULT, std::less<>> m_failures;
    std::set<std::string, std::less<>> m_nothing;
    std::vector<std::string> m_journal;
    std::string m_vertexShader;
    std::string m_fragmentShader;
};

} // namespace triview
