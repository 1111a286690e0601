// A present target for device tests: a fixed client size and the last
// frame presented to it.
#pragma once

#include "render/PresentTarget.h"

namespace triview::test {

class CapturingTarget : public PresentTarget
{
public:
    explicit CapturingTarget(QSize size = { 633, 601 })
        : m_size(size)
    { }
    QSize pixelSize() const override { return m_size; }
    void present(QImage frame) override
    {
        last = std::move(frame);
        ++presents;
    }

    QImage last;
    int presents = 0;

private:
    QSize m_size;
};

} // namespace triview::test
