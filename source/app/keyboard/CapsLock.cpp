#include "keyboard/CapsLock.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

std::optional<bool>& forced()
{
    static std::optional<bool> value;
    return value;
}

} // namespace

bool CapsLock::isOn(const QKeyEvent* event)
{
    if (forced())
        return *forced();
    if (!event || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    return (event->nativeModifiers() & X11LockMask) != 0;
}

void CapsLock::force(std::optional<bool> on)
{
    forced() = on;
}
