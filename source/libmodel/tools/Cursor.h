#pragma once

#include <QCursor>
#include <QPixmap>
#include <QPoint>
#include <QPointF>
#include <QString>

class QSvgRenderer;

namespace Model {

// The application's shared cursors, used by the tools for their states and by
// the views. They are plain arrows from the moment the application object
// exists and are built from the pointer artwork under ":/pointers/" by
// initStaticCursors(), at the device pixel ratio last given to
// setDevicePixelRatio().
class Cursor
{
public:
    Cursor() = delete;

    // (Re)builds every cursor below from its artwork.
    static void initStaticCursors();
    // Rebuilds the cursors when the ratio differs from the one they were
    // built at; a ratio that is not above 0 is ignored.
    static void setDevicePixelRatio(double ratio);

    // The artwork rendered at the size of its view box, in device pixels of
    // the current ratio, and carrying that ratio.
    static QPixmap cursorPixmapFromSvgFile(const QString& fileName);
    static QCursor cursorFromSvgFile(const QString& fileName, const QPoint& hotSpot);
    // The hot spot at the centre of the artwork.
    static QCursor cursorFromSvgFileCenteredHotspot(const QString& fileName);
    // The renderer's artwork turned by angle degrees about its centre, painted
    // at twice its view box size with device pixel ratio 2 and the hot spot at
    // its centre.
    static QCursor rotatedCursorFromSvg(QSvgRenderer& renderer, double angle);

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

// A cursor from a painted pixmap; hotSpot is in the pixmap's device pixels and
// becomes (floor(x / r), floor(y / r)) for the pixmap's device pixel ratio r.
QCursor createCursor(const QPixmap& pixmap, const QPointF& hotSpot);

} // namespace Model
