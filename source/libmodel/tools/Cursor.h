#pragma once

#include <QCursor>

namespace Model {

// The application's shared cursors, used by the tools for their states and by
// the views. They exist from start-up as plain arrows; building them from the
// pointer artwork is done once the artwork is loaded.
class Cursor
{
public:
    Cursor() = delete;

    static QCursor m_cursorArrow;
    static QCursor m_cursorArrowSlideMode;
    static QCursor m_cursorArrowAddClonesMode;
    static QCursor m_cursorDrag;
    static QCursor m_cursorDragLeftRight;
    static QCursor m_cursorDragUpDown;
    static QCursor m_cursorForbidden;
    static QCursor m_cursorLayerNotVisible;
    static QCursor m_cursorLayerOpacityZero;
    static QCursor m_cursorLock;
    static QCursor m_cursorScribbleEraser;
    static QCursor m_cursorScribblePen;
    static double m_devicePixelRatioF;
};

} // namespace Model
