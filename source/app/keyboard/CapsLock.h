#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

class QKeyEvent;

// Whether Caps Lock was on when a key event happened. Qt keeps no modifier
// for it, so it is read from the event's native modifier flags, whose
// meaning each platform plugin sets: the lock bit of the key state under
// X11 (xcb) and Wayland, the key state's Caps Lock bit under Windows, the
// event's modifier flags under macOS (cocoa). Other platforms, the offscreen
// one among them, report nothing and Caps Lock counts as off. Tests force
// the answer, since a synthesised event carries no real keyboard state.
class CapsLock
{
public:
    static bool isOn(const QKeyEvent* event);
    // The reading of one platform's native modifier flags.
    static bool isOn(const QString& platformName, quint32 nativeModifiers);

    // Forced answer for every event; an empty value reads the events again.
    static void force(std::optional<bool> on);

    // The native flag that X11 sets while Caps Lock is on; Wayland's key
    // state holds the same bit.
    static constexpr quint32 X11LockMask = 0x2;
    // The Caps Lock bit of the Windows plugin's native modifiers.
    static constexpr quint32 WindowsCapsLockMask = 0x100;
    // NSEventModifierFlagCapsLock.
    static constexpr quint32 MacCapsLockMask = 0x10000;
};
