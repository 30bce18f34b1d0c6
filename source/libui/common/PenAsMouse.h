#pragma once

#include <QtGlobal>

#include <functional>

class QMouseEvent;
class QTabletEvent;

namespace UI {

// Small painted widgets take the pen as a mouse: each tablet press, move and
// release becomes a synthesized mouse event handed to the widget's own mouse
// handlers. The synthesized press keeps the tablet event's time stamp, so a
// press handler that drops presses within 10 ms of the last one it handled
// also drops the mouse press the system synthesizes after the tablet press.
namespace PenAsMouse {

using Handler = std::function<void(QMouseEvent*)>;

// Hands the tablet event, as a mouse event, to the matching handler (straight
// to it: an unaccepted mouse event must not travel on to the parent) and
// accepts it when the handler accepted the mouse event. Other tablet event
// types are ignored.
void deliver(QTabletEvent* event, const Handler& press, const Handler& move,
             const Handler& release);

// Whether a press at `timestamp` follows the last handled press or release
// (at `lastEventTime`) too closely to count.
inline bool isEcho(quint64 timestamp, quint64 lastEventTime)
{
    return timestamp < lastEventTime + 10;
}

} // namespace PenAsMouse

} // namespace UI
