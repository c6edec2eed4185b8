#include <QApplication>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

#include <cstdlib>
#include <iostream>

#include "apptranslator.h"
#include "game/gamelock.h"
#include "game/savedgame.h"
#include "sysstatus.h"
#include "tarqscreenupdater.h"
#include "widget.h"

namespace
{

constexpr int FONT_PIXEL_SIZE = 25;
constexpr bool SYSTEM_BUSY = false;
constexpr bool BUSY_NOTIFY = true;

// Says on the screen and on standard error that another copy plays the game kept in this
// folder, and waits for the person to close the box.
void sayAlreadyOpen(const std::string& lockError)
{
    std::cerr << "checkers: the game is already open (" << lockError << ")\n";
    QMessageBox box(QMessageBox::Information, QCoreApplication::translate("main", "Checkers"),
                    QCoreApplication::translate("main", "The game is already open"),
                    QMessageBox::NoButton);
    box.exec();
}

} // namespace

// Tells the device the program is ready, routes all painting to the panel refresh, speaks the
// system's language where a translation exists, and shows the game full screen until its window
// is closed. A second copy started in the same folder says that the game is open and ends with
// status 1, before it can touch the kept game.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    sys::SysStatus::instance().setSystemBusy(SYSTEM_BUSY, BUSY_NOTIFY);
    TarqScreenUpdater::install(&app);
    AppTranslator::install(app);

    QFont font = QApplication::font();
    font.setPixelSize(FONT_PIXEL_SIZE);
    QApplication::setFont(font);

    // Held until the program ends.
    const GameLock lock(QFile::encodeName(QCoreApplication::applicationDirPath() +
                                          QLatin1Char('/') + QLatin1String(SavedGame::FILE_NAME))
                            .toStdString());
    if (lock.status() == GameLock::Status::TAKEN) {
        sayAlreadyOpen(lock.error());
        return EXIT_FAILURE;
    }
    if (lock.status() == GameLock::Status::UNAVAILABLE)
        std::cerr << "checkers: " << lock.error()
                  << "; a second copy in this folder would not be kept out\n";

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
