#include "sysstatus.h"

namespace sys
{

SysStatus& SysStatus::instance()
{
    static SysStatus status;
    return status;
}

void SysStatus::setSystemBusy(bool busy, bool notify)
{
    ++m_busyCalls;
    m_lastBusy = busy;
    m_lastNotify = notify;
}

} // namespace sys
