#include "tools/PenTool.h"

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

Tool::PenType PenTool::penType() const
{
    return m_penType;
}

} // namespace Model
