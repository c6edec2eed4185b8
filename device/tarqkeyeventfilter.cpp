#include "tarqkeyeventfilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <cstring>

TarqKeyEventFilter* TarqKeyEventFilter::g_pKeyEventFilter = nullptr;

namespace
{

// One row of the translation table: `key` on an object of exactly class `className` is
// replaced by `replacement`.
struct KeyTranslation {
    int key;
    const char* className;
    int replacement;
};

constexpr KeyTranslation TRANSLATIONS[] = {
    {Qt::Key_Up, "QComboBox", Qt::Key_Backtab},     {Qt::Key_Down, "QComboBox", Qt::Key_Tab},
    {Qt::Key_Return, "QPushButton", Qt::Key_Space}, {Qt::Key_Return, "QComboBox", Qt::Key_Space},
    {Qt::Key_Return, "QCheckBox", Qt::Key_Space},
};

constexpr int NO_KEY = 0;

// The key that replaces `key` on an object of class `className`, or NO_KEY.
int replacementKey(int key, const char* className)
{
    for (const KeyTranslation& row : TRANSLATIONS) {
        if (row.key == key && std::strcmp(row.className, className) == 0)
            return row.replacement;
    }
    return NO_KEY;
}

} // namespace

void TarqKeyEventFilter::install(QObject* control)
{
    if (!g_pKeyEventFilter)
        g_pKeyEventFilter = new TarqKeyEventFilter; // lives until the process ends
    control->installEventFilter(g_pKeyEventFilter);
}

bool TarqKeyEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;

    const auto* keyEvent = static_cast<const QKeyEvent*>(event);
    const int key = replacementKey(keyEvent->key(), watched->metaObject()->className());
    if (key == NO_KEY)
        return false;

    // The event queue owns the posted event.
    QCoreApplication::postEvent(watched, new QKeyEvent(keyEvent->type(), key, keyEvent->modifiers(),
                                                       keyEvent->text(), keyEvent->isAutoRepeat(),
                                                       static_cast<ushort>(keyEvent->count())));
    return true;
}
