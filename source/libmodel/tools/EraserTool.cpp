#include "tools/EraserTool.h"

#include "tools/Cursor.h"

#include <QPainter>
#include <QPixmap>

namespace Model {

EraserTool::EraserTool(Tool::EraserType eraserType, QObject* parent)
    : DrawingTool(Tool::Erase, parent)
    , m_eraserType(eraserType)
{
}

EraserTool::~EraserTool() = default;

Tool* EraserTool::clone() const
{
    auto* copy = new EraserTool(m_eraserType, parent());
    copy->copySettingsFrom(*this);
    return copy;
}

QString EraserTool::displayName() const
{
    switch (m_eraserType) {
    case Tool::Kneaded:
        return tr("Kneaded Eraser");
    case Tool::Rubber:
        return tr("Rubber Eraser");
    case Tool::Vinyl:
        return tr("Vinyl Eraser");
    }
    return QString();
}

QString EraserTool::settingsName() const
{
    switch (m_eraserType) {
    case Tool::Kneaded:
        return QStringLiteral("KneadedEraser");
    case Tool::Rubber:
        return QStringLiteral("RubberEraser");
    case Tool::Vinyl:
        return QStringLiteral("VinylEraser");
    }
    return QString();
}

QCursor EraserTool::createCursor(double minimumDiameter, double maximumDiameter, double scale,
                                 bool faint) const
{
    // An eraser has no pressure-dependent width to show: only its full size.
    const CursorGeometry geometry = cursorGeometry(minimumDiameter, maximumDiameter, scale, 0);
    const double n = geometry.outerDiameter;
    const int size = 2 * geometry.outerDiameter + 14;
    const QPointF c((size + 1) / 2.0, (size + 1) / 2.0);

    QPixmap pixmap = emptyCursorPixmap(size);
    {
        QPainter painter(&pixmap);
        painter.setOpacity(0.75);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(Qt::NoBrush);

        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setPen(QPen(QColor(255, 255, 255, 128), 2.0));
        painter.drawEllipse(c, (n + 4.0) / 2.0, (n + 4.0) / 2.0);
        painter.restore();

        painter.setPen(QPen(QColor(0, 0, 0, faint ? 102 : 204), 2.0));
        painter.drawEllipse(c, n / 2.0, n / 2.0);
    }
    pixmap.setDevicePixelRatio(2.0);
    return Model::createCursor(pixmap, c);
}

QCursor EraserTool::createAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                               double scale,
                                               AdjustmentHighlights highlight) const
{
    return paintAdjustmentCursorSize(minimumDiameter, maximumDiameter, scale, highlight, false);
}

Tool::EraserType EraserTool::eraserType() const
{
    return m_eraserType;
}

} // namespace Model
