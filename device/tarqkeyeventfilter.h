#pragma once

#include <QObject>

// Replaces the device's keys by the keys standard controls react to: on a combo box Up and Down
// become Backtab and Tab (leave the control), and Return on a push button, combo box or check box
// becomes Space (press, open, tick). The match is on the exact class name, so subclasses pass
// unchanged. The replacement is posted to the control; the original event is consumed.
// Stateless; one filter exists per process and is never deleted.
class TarqKeyEventFilter : public QObject
{
    Q_OBJECT

public:
    TarqKeyEventFilter() = default;
    ~TarqKeyEventFilter() override = default;

    // Creates the process-wide filter on the first call and installs it on `control`.
    static void install(QObject* control);

    bool eventFilter(QObject* watched, QEvent* event) override;

    static TarqKeyEventFilter* g_pKeyEventFilter;
};
