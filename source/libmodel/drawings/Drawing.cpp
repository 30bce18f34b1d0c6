#include "drawings/Drawing.h"

#include <utility>

namespace Model {

Drawing::Drawing() = default;

Drawing::Drawing(Drawing const&)
{
}

Drawing::~Drawing() = default;

QString Drawing::toolTip() const
{
    return m_name;
}

QUuid Drawing::createCopyId()
{
    m_copyId = QUuid::createUuid();
    return m_copyId;
}

QUuid Drawing::currentCopyId() const
{
    return m_copyId;
}

void Drawing::setCopyId(QUuid copyId)
{
    m_copyId = copyId;
}

void Drawing::setName(QString name)
{
    m_name = std::move(name);
}

QString Drawing::name() const
{
    return m_name;
}

} // namespace Model
