#include "scene/FramePicture.h"

#include <QPainter>
#include <QRegion>

namespace Model {

void FramePicture::reset(QRect const& area)
{
    m_made = true;
    m_area = area.isEmpty() ? QRect() : area;
    if (m_area.isEmpty()) {
        m_pixmap = QPixmap();
        return;
    }
    // The inked part changes from frame to frame: memory large enough for it
    // is kept, and only the part in use is cleared.
    QSize const size = m_area.size();
    if (m_pixmap.width() < size.width() || m_pixmap.height() < size.height()) {
        m_pixmap = QPixmap(size.expandedTo(m_pixmap.size()));
        m_pixmap.fill(Qt::transparent);
        return;
    }
    QPainter painter(&m_pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(QPoint(0, 0), size), Qt::transparent);
}

bool FramePicture::begin(QPainter& painter)
{
    if (m_area.isEmpty() || !painter.begin(&m_pixmap))
        return false;
    painter.translate(-m_area.topLeft());
    return true;
}

QRect const& FramePicture::area() const
{
    return m_area;
}

void FramePicture::paint(QPainter* painter, QRect const& rect) const
{
    if (!m_made || rect.isEmpty())
        return;
    QRect const part = rect & m_area;
    if (!part.isEmpty())
        painter->drawPixmap(part, m_pixmap, part.translated(-m_area.topLeft()));
    // Over the painter's pixels transparent ones change nothing, except in
    // the modes that replace or clear what is there.
    if (painter->compositionMode() == QPainter::CompositionMode_SourceOver)
        return;
    for (QRect const& rest : QRegion(rect).subtracted(QRegion(part)))
        painter->fillRect(rest, Qt::transparent);
}

} // namespace Model
