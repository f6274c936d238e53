#pragma once

// A camera setting the user steps from its current value (rotate, mirror, freeze). Sets are echoed by the
// camera later, queued: a second press before the echo must step from what the first press asked for, not
// from the value the camera reported last, or two quick presses ask for the same value twice. Every
// accepted set is echoed exactly once, so the asked value stays the base until all of them came back.
template<typename T>
class RequestedSetting
{
public:
    // The value the next step starts from.
    T base(T reported) const { return m_pending > 0 ? m_asked : reported; }
    // A set the camera accepted; a refused one is not recorded and does not move the base.
    void accepted(T value)
    {
        m_asked = value;
        ++m_pending;
    }
    // The camera reported the setting (the echo of a set, or a change of its own).
    void reported()
    {
        if (m_pending > 0)
            --m_pending;
    }
    void reset() { m_pending = 0; }

private:
    T m_asked{};
    int m_pending = 0;
};
