// A time by which a picture must be drawn: a thumbnail is drawn for a file
// manager, which should not be kept waiting by a model made to be slow.
#pragma once

#include <chrono>

namespace triview {

class Deadline
{
public:
    using Clock = std::chrono::steady_clock;

    // seconds from now.
    explicit Deadline(int seconds)
        : m_at(Clock::now() + std::chrono::seconds(seconds))
        , m_seconds(seconds)
    { }

    bool passed() const { return Clock::now() >= m_at; }
    // Raises 18 saying that the picture was not done within the limit, once
    // it has passed.
    void check() const;

private:
    Clock::time_point m_at;
    int m_seconds;
};

} // namespace triview
