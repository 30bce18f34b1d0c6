#pragma once

#include <optional>

class QKeyEvent;

// Whether Caps Lock was on when a key event happened. Qt keeps no modifier
// for it, so it is read from the event's native modifier flags: under X11
// (xcb) the lock bit of the key state. Other platforms, the offscreen one
// among them, report nothing and Caps Lock counts as off. Tests force the
// answer, since a synthesised event carries no real keyboard state.
class CapsLock
{
public:
    static bool isOn(const QKeyEvent* event);

    // Forced answer for every event; an empty value reads the events again.
    static void force(std::optional<bool> on);

    // The native flag that X11 sets while Caps Lock is on.
    static constexpr unsigned X11LockMask = 0x2;
};
