#include "tools/Cursor.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <QtMath>

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

namespace {

// A QCursor constructed before the application object holds no data at all,
// and copying one crashes. As soon as the application object exists every
// shared cursor becomes a real arrow, so that code running before
// initStaticCursors() (tools made in tests, early views) gets a usable cursor.
void makeStaticCursorsPlainArrows()
{
    QCursor* const cursors[] = {
        &Cursor::m_cursorArrow,           &Cursor::m_cursorArrowSlideMode,
        &Cursor::m_cursorArrowAddClonesMode, &Cursor::m_cursorDrag,
        &Cursor::m_cursorDragLeftRight,   &Cursor::m_cursorDragUpDown,
        &Cursor::m_cursorForbidden,       &Cursor::m_cursorLayerNotVisible,
        &Cursor::m_cursorLayerOpacityZero, &Cursor::m_cursorLock,
        &Cursor::m_cursorScribbleEraser,  &Cursor::m_cursorScribblePen,
    };
    for (QCursor* cursor : cursors)
        *cursor = QCursor(Qt::ArrowCursor);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(makeStaticCursorsPlainArrows)

void Cursor::initStaticCursors()
{
    m_cursorArrow = QCursor(Qt::ArrowCursor);
    m_cursorArrowSlideMode =
        cursorFromSvgFile(QStringLiteral(":/pointers/pointer-slideMode.svg"), QPoint(0, 1));
    m_cursorArrowAddClonesMode =
        cursorFromSvgFile(QStringLiteral(":/pointers/pointer-addClonesMode.svg"), QPoint(0, 1));
    m_cursorDrag = cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-drag.svg"));
    m_cursorDragLeftRight =
        cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-dragLeftRight.svg"));
    m_cursorDragUpDown =
        cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-dragUpDown.svg"));
    m_cursorForbidden =
        cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-forbidden.svg"));
    m_cursorLayerNotVisible =
        cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-layerNotVisible.svg"));
    m_cursorLayerOpacityZero =
        cursorFromSvgFile(QStringLiteral(":/pointers/pointer-layerOpacityZero.svg"), QPoint(10, 1));
    m_cursorLock = cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-lock.svg"));
    m_cursorScribbleEraser =
        cursorFromSvgFile(QStringLiteral(":/pointers/pointer-scribbleEraser.svg"), QPoint(1, 21));
    m_cursorScribblePen =
        cursorFromSvgFile(QStringLiteral(":/pointers/pointer-scribblePen.svg"), QPoint(1, 21));
}

void Cursor::setDevicePixelRatio(double ratio)
{
    // A ratio of 0, below 0 or NaN would give pixmaps without pixels.
    if (!(ratio > 0.0) || qFuzzyCompare(ratio, m_devicePixelRatioF))
        return;
    m_devicePixelRatioF = ratio;
    initStaticCursors();
}

QPixmap Cursor::cursorPixmapFromSvgFile(const QString& fileName)
{
    // Every stroke clones its tool, and each new drawing tool loads its fixed
    // cursors; the cache spares parsing and rendering the artwork each time.
    const QString key =
        QStringLiteral("quillmere-cursor:%1@%2").arg(fileName).arg(m_devicePixelRatioF);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    const QSize size = QSvgRenderer(fileName).viewBox().size();
    pixmap = QIcon(fileName).pixmap(size, m_devicePixelRatioF);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

QCursor Cursor::cursorFromSvgFile(const QString& fileName, const QPoint& hotSpot)
{
    return QCursor(cursorPixmapFromSvgFile(fileName), hotSpot.x(), hotSpot.y());
}

QCursor Cursor::cursorFromSvgFileCenteredHotspot(const QString& fileName)
{
    const QPixmap pixmap = cursorPixmapFromSvgFile(fileName);
    const QPoint centre = pixmap.rect().center();
    const double ratio = pixmap.devicePixelRatio();
    return QCursor(pixmap, qRound(centre.x() / ratio), qRound(centre.y() / ratio));
}

QCursor Cursor::rotatedCursorFromSvg(QSvgRenderer& renderer, double angle)
{
    const QSize size = (renderer.viewBoxF().size() * 2.0).toSize();
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const QPointF centre(size.width() / 2.0, size.height() / 2.0);
        painter.translate(centre);
        painter.rotate(angle);
        painter.translate(-centre);
        renderer.render(&painter, QRectF(QPointF(0.0, 0.0), QSizeF(size)));
    }
    const QPoint centre = pixmap.rect().center();
    pixmap.setDevicePixelRatio(2.0);
    return createCursor(pixmap, QPointF(centre));
}

QCursor createCursor(const QPixmap& pixmap, const QPointF& hotSpot)
{
    const double ratio = pixmap.devicePixelRatio();
    return QCursor(pixmap, qFloor(hotSpot.x() / ratio), qFloor(hotSpot.y() / ratio));
}

} // namespace Model
