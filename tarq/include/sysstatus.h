#pragma once

// Stand-in for the system-status service of the device library libtarq_ui, for builds without
// the device. It accepts every call and remembers the last one.
namespace sys
{

class SysStatus
{
public:
    // The process-wide status object, built on the first call.
    static SysStatus& instance();

    void setSystemBusy(bool busy, bool notify);

    // What the stand-in has seen: the number of setSystemBusy calls and the arguments of the
    // last one.
    int busyCalls() const { return m_busyCalls; }
    bool lastBusy() const { return m_lastBusy; }
    bool lastNotify() const { return m_lastNotify; }

private:
    SysStatus() = default;

    int m_busyCalls = 0;
    bool m_lastBusy = false;
    bool m_lastNotify = false;
};

} // namespace sys
