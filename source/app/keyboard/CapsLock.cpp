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
    if (!event)
        return false;
    return isOn(QGuiApplication::platformName(), event->nativeModifiers());
}

bool CapsLock::isOn(const QString& platformName, quint32 nativeModifiers)
{
    quint32 mask = 0;
    if (platformName == QLatin1String("xcb") || platformName.startsWith(QLatin1String("wayland")))
        mask = X11LockMask;
    else if (platformName == QLatin1String("windows"))
        mask = WindowsCapsLockMask;
    else if (platformName == QLatin1String("cocoa"))
        mask = MacCapsLockMask;
    return (nativeModifiers & mask) != 0;
}

void CapsLock::force(std::optional<bool> on)
{
    forced() = on;
}
