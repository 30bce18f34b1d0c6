#include "scene/FramePicture.h"

#include <QPainter>
#include <QRegion>
#include <QtDebug>

#include <cstring>

namespace Model {

void FramePicture::reset(QRect const& area, QRect const& replaced)
{
    m_made = true;
    m_area = area.isEmpty() ? QRect() : area;
    if (m_area.isEmpty()) {
        m_image = QImage();
        return;
    }
    // The inked part changes from frame to frame: memory large enough for it
    // is kept, and only the part in use is cleared.
    QSize const size = m_area.size();
    if (m_image.width() < size.width() || m_image.height() < size.height()) {
        m_image = QImage(size.expandedTo(m_image.size()), QImage::Format_ARGB32_Premultiplied);
        if (m_image.isNull()) {
            qWarning("FramePicture: no memory for a %dx%d picture", size.width(), size.height());
            m_area = QRect();
            return;
        }
        m_image.fill(Qt::transparent);
        return;
    }
    // What the caller replaces at once need not be cleared first.
    QRect const kept = (replaced & m_area).translated(-m_area.topLeft());
    auto const clear = [this](int y, int from, int to) {
        if (from < to)
            std::memset(reinterpret_cast<QRgb*>(m_image.scanLine(y)) + from, 0,
                        size_t(to - from) * sizeof(QRgb));
    };
    for (int y = 0; y < size.height(); ++y) {
        if (y < kept.top() || y > kept.bottom()) {
            clear(y, 0, size.width());
        } else {
            clear(y, 0, kept.left());
            clear(y, kept.right() + 1, size.width());
        }
    }
}

bool FramePicture::begin(QPainter& painter)
{
    if (m_area.isEmpty() || !painter.begin(&m_image))
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
        painter->drawImage(part, m_image, part.translated(-m_area.topLeft()));
    // Over the painter's pixels transparent ones change nothing, except in
    // the modes that replace or clear what is there.
    if (painter->compositionMode() == QPainter::CompositionMode_SourceOver)
        return;
    for (QRect const& rest : QRegion(rect).subtracted(QRegion(part)))
        painter->fillRect(rest, Qt::transparent);
}

} // namespace Model
