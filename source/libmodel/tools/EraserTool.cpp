#include "tools/EraserTool.h"

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

Tool::EraserType EraserTool::eraserType() const
{
    return m_eraserType;
}

} // namespace Model
