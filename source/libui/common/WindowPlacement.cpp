#include "common/WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace UI {

void centreOnParentWindow(QWidget* window)
{
    const QWidget* parent = window->parentWidget();
    if (!parent)
        return;
    const QWidget* owner = parent->window();
    QRect place(QPoint(), window->size());
    place.moveCenter(owner->geometry().center());
    if (const QScreen* screen = owner->screen()) {
        const QRect room = screen->availableGeometry();
        place.moveLeft(std::max(room.left(), std::min(place.left(), room.right() - place.width() + 1)));
        place.moveTop(std::max(room.top(), std::min(place.top(), room.bottom() - place.height() + 1)));
    }
    window->move(place.topLeft());
}

} // namespace UI
