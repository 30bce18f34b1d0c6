#include "tools/Cursor.h"

namespace Model {

QCursor Cursor::m_cursorArrow;
QCursor Cursor::m_cursorArrowSlideMode;
QCursor Cursor::m_cursorArrowAddClonesMode;
QCursor Cursor::m_cursorDrag;
QCursor Cursor::m_cursorDragLeftRight;
QCursor Cursor::m_cursorDragUpDown;
QCursor Cursor::m_cursorForbidden;
QCursor Cursor::m_cursorLayerNotVisible;
QCursor Cursor::m_cursorLayerOpacityZero;
QCursor Cursor::m_cursorLock;
QCursor Cursor::m_cursorScribbleEraser;
QCursor Cursor::m_cursorScribblePen;
double Cursor::m_devicePixelRatioF = 1.0;

} // namespace Model
