#include "tools/PenTool.h"

#include "tools/Cursor.h"

#include <QPainter>
#include <QPixmap>
#include <QRadialGradient>

namespace Model {

PenTool::PenTool(Tool::PenType penType, QObject* parent)
    : DrawingTool(Tool::Draw, parent)
    , m_penType(penType)
{
}

PenTool::~PenTool() = default;

Tool* PenTool::clone() const
{
    auto* copy = new PenTool(m_penType, parent());
    copy->copySettingsFrom(*this);
    return copy;
}

QString PenTool::displayName() const
{
    switch (m_penType) {
    case Tool::Pencil:
        return tr("Pencil");
    case Tool::Marker:
        return tr("Marker");
    case Tool::Brush:
        return tr("Brush");
    }
    return QString();
}

QString PenTool::settingsName() const
{
    switch (m_penType) {
    case Tool::Pencil:
        return QStringLiteral("Pencil");
    case Tool::Marker:
        return QStringLiteral("Marker");
    case Tool::Brush:
        return QStringLiteral("Brush");
    }
    return QString();
}

QCursor PenTool::createCursor(double minimumDiameter, double maximumDiameter, double scale,
                              bool faint) const
{
    const CursorGeometry geometry = cursorGeometry(minimumDiameter, maximumDiameter, scale, 28);
    const QPointF c = geometry.centre;
    const double n = geometry.outerDiameter;

    QPixmap pixmap = emptyCursorPixmap(geometry.pixmapSize);
    {
        QPainter painter(&pixmap);
        painter.setOpacity(faint ? 0.4 : 0.75);
        // The arms fade from the circle's inside outward.
        QRadialGradient gradient(c, geometry.armOuter, c, geometry.armInner);

        // Light lines along both sides of each arm keep it visible on dark ink.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        gradient.setColorAt(0.0, QColor(255, 255, 255, faint ? 178 : 63));
        gradient.setColorAt(0.2, QColor(255, 255, 255, faint ? 178 : 63));
        gradient.setColorAt(1.0, QColor(255, 255, 255, faint ? 25 : 63));
        painter.setPen(QPen(QBrush(gradient), 2.0));
        drawCrosshairArms(painter, geometry, 2.0);
        painter.restore();

        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setPen(QPen(QColor(255, 255, 255, faint ? 51 : 127), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, (n + 4.0) / 2.0, (n + 4.0) / 2.0);
        painter.restore();

        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        if (faint) {
            gradient.setColorAt(0.0, QColor(0, 0, 0, 178));
            gradient.setColorAt(0.2, QColor(0, 0, 0, 76));
            gradient.setColorAt(1.0, QColor(0, 0, 0, 25));
        } else {
            gradient.setColorAt(0.0, QColor(0, 0, 0, 102));
            gradient.setColorAt(0.2, QColor(0, 0, 0, 102));
            gradient.setColorAt(1.0, QColor(0, 0, 0, 102));
        }
        painter.setPen(QPen(QBrush(gradient), 2.0));
        drawCrosshairArms(painter, geometry, 0.0);
        painter.restore();

        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 0, 0, faint ? 25 : 204), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(c, n / 2.0, n / 2.0);
        painter.restore();
    }
    pixmap.setDevicePixelRatio(2.0);
    return Model::createCursor(pixmap, c);
}

QCursor PenTool::createAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                            double scale, AdjustmentHighlights highlight) const
{
    return paintAdjustmentCursorSize(minimumDiameter, maximumDiameter, scale, highlight, true);
}

Tool::PenType PenTool::penType() const
{
    return m_penType;
}

} // namespace Model
