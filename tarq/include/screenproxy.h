#pragma once

class QWidget;

// Stand-in for the panel-refresh service of the device library libtarq_ui, for builds without
// the device. It accepts every flush and records it, so that tests can count the refreshes.
namespace tarq
{
namespace screen
{

struct ScreenCommand {
    // The device's wait modes, by number; the game passes 1.
    enum WaitMode { WAIT_MODE_0 = 0, WAIT_MODE_1 = 1 };
};

class ScreenProxy
{
public:
    // The panel's update waveforms that the game uses.
    enum Waveform { WAVEFORM_PARTIAL = 3, WAVEFORM_FULL = 4 };

    // The arguments of one flush call.
    struct Flush {
        const QWidget* widget = nullptr;
        int waveform = 0;
        bool flag = false;
        int waitMode = 0;
    };

    // The process-wide proxy, built on the first call.
    static ScreenProxy& instance();

    // On the device: refresh the panel from what the application has painted. Here: count it.
    void flush(const QWidget* widget, Waveform waveform, bool flag, ScreenCommand::WaitMode mode);

    int flushCount() const { return m_flushCount; }
    const Flush& lastFlush() const { return m_lastFlush; }
    // Forgets the flushes seen so far.
    void resetFlushes();

private:
    ScreenProxy() = default;

    int m_flushCount = 0;
    Flush m_lastFlush;
};

} // namespace screen
} // namespace tarq
