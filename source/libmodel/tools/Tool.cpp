#include "tools/Tool.h"

#include "tools/Cursor.h"

#include <QPixmap>

namespace Model {

namespace {

// Bit masks over the type values; types from 10 upward are in neither set.
constexpr unsigned primaryTypeMask = 899; // Draw, Erase, Lasso, Cutter, FloatingSelection
constexpr unsigned undoTypeMask = 515;    // Draw, Erase, FloatingSelection

bool inMask(Tool::Type type, unsigned mask)
{
    const int value = static_cast<int>(type);
    return value >= 0 && value < 10 && ((mask >> value) & 1u) != 0;
}

} // namespace

double Tool::m_zoomLevel = 1.0;
bool Tool::m_enabled = true;

Tool::Tool(Type type, QObject* parent)
    : QObject(parent)
    , m_type(type)
{
}

Tool::~Tool() = default;

void Tool::refreshCursor() {}

Tool::Type Tool::type() const
{
    return m_type;
}

Tool::State Tool::state() const
{
    return m_state;
}

void Tool::setState(State state)
{
    m_state = state;
}

bool Tool::isDrawingType(Type type)
{
    return type == Draw || type == Erase;
}

bool Tool::isLassoingType(Type type)
{
    return type == Lasso || type == Cutter;
}

bool Tool::isPrimaryType(Type type)
{
    return inMask(type, primaryTypeMask);
}

bool Tool::isUndoType(Type type)
{
    return inMask(type, undoTypeMask);
}

QPointF Tool::calcCursorCenter(const QPixmap& pixmap)
{
    const double ratio = pixmap.devicePixelRatio();
    return QPointF((pixmap.width() + ratio) / 2.0, (pixmap.height() + ratio) / 2.0);
}

QCursor Tool::stateCursor(State state, const QCursor& usable)
{
    switch (state) {
    case Forbidden:
        return Cursor::m_cursorForbidden;
    case LayerNotVisible:
        return Cursor::m_cursorLayerNotVisible;
    case LayerOpacityZero:
        return Cursor::m_cursorLayerOpacityZero;
    case Usable:
        break;
    }
    return usable;
}

} // namespace Model
