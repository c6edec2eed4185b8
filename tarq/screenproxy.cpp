#include "screenproxy.h"

namespace tarq
{
namespace screen
{

ScreenProxy& ScreenProxy::instance()
{
    static ScreenProxy proxy;
    return proxy;
}

void ScreenProxy::flush(const QWidget* widget, Waveform waveform, bool flag,
                        ScreenCommand::WaitMode mode)
{
    ++m_flushCount;
    m_lastFlush = Flush{widget, waveform, flag, mode};
}

void ScreenProxy::resetFlushes()
{
    m_flushCount = 0;
    m_lastFlush = Flush{};
}

} // namespace screen
} // namespace tarq
