#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QScreen>

#include "apptranslator.h"
#include "sysstatus.h"
#include "tarqscreenupdater.h"
#include "widget.h"

namespace
{

constexpr int FONT_PIXEL_SIZE = 25;
constexpr bool SYSTEM_BUSY = false;
constexpr bool BUSY_NOTIFY = true;

} // namespace

// Tells the device the program is ready, routes all painting to the panel refresh, speaks the
// system's language where a translation exists, and shows the game full screen until its window
// is closed.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    sys::SysStatus::instance().setSystemBusy(SYSTEM_BUSY, BUSY_NOTIFY);
    TarqScreenUpdater::install(&app);
    AppTranslator::install(app);

    QFont font = QApplication::font();
    font.setPixelSize(FONT_PIXEL_SIZE);
    QApplication::setFont(font);

    Widget window;
    // Where no window manager makes the window full screen, it covers the screen by itself; its
    // contents never make it wider or taller.
    if (const QScreen* const screen = QGuiApplication::primaryScreen()) {
        window.setMaximumSize(screen->geometry().size());
        window.setGeometry(screen->geometry());
    }
    window.showFullScreen();
    app.exec();
    return 0;
}
